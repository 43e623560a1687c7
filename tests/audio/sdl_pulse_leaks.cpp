// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Leak suppression for the sanitizer build of the program that plays through
// SDL's PulseAudio driver. SDL 2.26 drops a few libpulse request objects on its
// device-watching thread, the only code here that runs pa_mainloop_run (our
// volume control steps its own loop instead), so the rule hides no leak of
// ours. libpulse has no frame pointers, so allocation stacks are taken the
// slow way to reach that frame.
extern "C" const char* __lsan_default_suppressions() { return "leak:pa_mainloop_run\n"; }
extern "C" const char* __asan_default_options() { return "fast_unwind_on_malloc=0"; }
