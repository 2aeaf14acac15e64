# Sources of the engine's expr part.
