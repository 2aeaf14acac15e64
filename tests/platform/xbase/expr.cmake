# Tests of the engine's expr part.
