# Sources of the engine's cdx part.
