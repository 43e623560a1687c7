// zrvtool-export: `zrvtool export`, which zrvtool hands its arguments to.
#include "tools/zrvtool/cli.h"
#include "tools/zrvtool/commands.h"

int main(int argc, char** argv) {
  std::vector<std::string> names;
  argc = EndOptions(argc, argv, names);
  if (WantsHelp(kExportCommand, argc, argv)) return kExitOk;
  return kExportCommand.run(argc, argv);
}
