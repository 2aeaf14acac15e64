# Tests of the engine's table part.
