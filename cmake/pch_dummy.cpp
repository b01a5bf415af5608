// Anchor for targets that are made only of other targets' objects.
