// The engine component and settings on real task files.
#include <gtest/gtest.h>
