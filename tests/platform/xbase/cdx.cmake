# Tests of the engine's cdx part.
