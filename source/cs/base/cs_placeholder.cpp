// Replaced by the module descriptor.
