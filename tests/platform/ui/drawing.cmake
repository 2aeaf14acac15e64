# Tests of the drawing helpers.
