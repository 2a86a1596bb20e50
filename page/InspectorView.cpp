#include "page/InspectorView.h"

void RefreshInspector(TPageForm&, int64_t) {}
