// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "tools/zrvtool_export/window_service.h"

#include <cstdio>
#include <string>

#include "import/import_wire.h"
#include "tools/cli/cli.h"
#include "tools/zrvtool_export/confinement.h"
#include "tools/zrvtool_export/interrupts.h"

namespace {

void Say(const std::string& line) {
  std::fputs((line + "\n").c_str(), stdout);
  std::fflush(stdout);
}

}  // namespace

int RunWindowService(int argc, char** argv) {
  CatchInterrupts();
  const std::string what = argc > 1 ? argv[1] : "";
  if (what == "facts" && argc == 3) {
    Say(EncodeVideoFacts(ReadVideoFacts(argv[2], &g_interrupted, ConfineProcess)));
    return kExitOk;
  }
  ImportOptions options;
  if (what == "import" && argc == 5 && DecodeImportOptions(argv[4], options)) {
    options.cancel = &g_interrupted;
    options.confine = ConfineProcess;
    options.progress = [](int permille) { Say(EncodeImportProgress(permille)); };
    const ImportResult result = ImportVideo(argv[2], argv[3], options);
    Say(EncodeImportResult(result));
    return result.ok ? kExitOk : kExitRefused;
  }
  std::fprintf(stderr, "zrvtool-export: window takes facts VIDEO or import VIDEO OUT OPTIONS\n");
  return kExitUsage;
}
