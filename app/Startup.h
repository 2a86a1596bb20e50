#pragma once

#include <memory>

class TBEForm;

// Start-up after the application object exists: the title, the load-failure box,
// then the main window (not yet shown).
std::unique_ptr<TBEForm> StartByteloom();
