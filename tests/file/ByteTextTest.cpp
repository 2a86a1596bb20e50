#include <gtest/gtest.h>
#include "page/ByteText.h"
TEST(ByteText, Builds) { SUCCEED(); }
