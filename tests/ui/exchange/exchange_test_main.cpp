// The exchange tests run under one offscreen application.
#include "widget_test_support.h"

QUILLET_UI_TEST_MAIN()
