#include <gtest/gtest.h>
#include "file/File64.h"
TEST(File64, Builds) { SUCCEED(); }
