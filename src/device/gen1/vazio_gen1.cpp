// Replaced as this library gets its code.
