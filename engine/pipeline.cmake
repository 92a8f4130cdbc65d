# Sources and tests of this stage.
