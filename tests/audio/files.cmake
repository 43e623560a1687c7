# Tests of the sound track files.
