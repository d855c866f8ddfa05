// Placeholder until this layer's first file lands.
