#pragma once

#include <cstdint>

class TPageForm;

// Rewrites rows 1 to 21 of the page's DataSG for the bytes at address. Raises nothing.
void RefreshInspector(TPageForm& page, int64_t address);
