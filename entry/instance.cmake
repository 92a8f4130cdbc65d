# System check, client shut-down and instance check: sources and tests.
