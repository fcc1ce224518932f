// The commands of zenta-cli; each adds itself to the application.
#pragma once

namespace CLI {
class App;
}

namespace zenta::cli {

void AddConvertCommand(CLI::App& app);
void AddGenerateCommand(CLI::App& app);
void AddSqlCommand(CLI::App& app);
void AddTreeCommand(CLI::App& app);

}  // namespace zenta::cli
