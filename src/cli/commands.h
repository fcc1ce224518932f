// The commands of zenta-cli; each adds itself to the application.
#pragma once

namespace CLI {
class App;
}

namespace zenta::cli {

void AddConvertCommand(CLI::App& app);
void AddGenerateCommand(CLI::App& app);
void AddIndexCommand(CLI::App& app);
void AddListCommand(CLI::App& app);
void AddPageCommand(CLI::App& app);
void AddSearchCommand(CLI::App& app);
void AddServeCommand(CLI::App& app);
void AddMergeCommand(CLI::App& app);
void AddSqlCommand(CLI::App& app);
void AddTreeCommand(CLI::App& app);
void AddUnpackCommand(CLI::App& app);

}  // namespace zenta::cli
