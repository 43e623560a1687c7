# Tests of the sound devices.
