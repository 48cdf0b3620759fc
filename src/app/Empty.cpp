// Keeps an otherwise empty library target buildable.
