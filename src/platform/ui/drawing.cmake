# Sources of the drawing helpers.
