# Text strings and conversions: sources and tests.
