// processes/: the process viewer of the "Processus" page and the toolhelp service behind it.
// Includes base/ and ui/ only.
#pragma once
// The "Processus" page: the process, thread and module lists in the grid, and the ending of a
// process chosen in the list. Every list is a new toolhelp snapshot taken when it is shown.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ui/components.h"
#include "ui/list_controls.h"
#include "ui/window_parts.h"

namespace kvn {

// "$" and the identifier in upper-case hexadecimal, padded towards eight digits (at most three
// zeros are added): 0 -> $0000, 420 -> $00001A4, 0x12345 -> $00012345.
std::string HexIdText(std::uint32_t number);
// Reads a cell written by HexIdText back (or a decimal number); anything unreadable gives 0.
std::uint32_t ParseIdText(std::string_view text);
// The word for a process's base priority class number ("Normale", "Haute", ...).
std::string PriorityText(long basePriority);

struct ProcessEntry {
  std::uint32_t processId = 0;
  std::uint32_t threadCount = 0;
  long basePriority = 0;
  std::string exeFile;
  // When it started (100 ns units since 1601); 0 when the program may not ask.
  std::uint64_t created = 0;
};

struct ThreadEntry {
  std::uint32_t threadId = 0;
  std::uint32_t usage = 0;
  std::uint32_t ownerProcessId = 0;
  long basePriority = 0;
  long deltaPriority = 0;
};

struct ModuleEntry {
  std::string name;
  std::string path;
};

// A process opened for ending. The identifier cannot go to another process while it is open.
class OpenedProcess {
 public:
  virtual ~OpenedProcess() = default;
  virtual bool StillRunning() = 0;
  // As ProcessEntry::created.
  virtual std::uint64_t CreationTime() = 0;
  // Ends it with exit code 0; false with the system's error code when Windows refuses.
  virtual bool Terminate(std::uint32_t& error) = 0;
};

// Toolhelp and the calls around ending a process. Every enumeration takes its own snapshot; a
// snapshot that cannot be taken enumerates nothing.
class ProcessSystem {
 public:
  virtual ~ProcessSystem() = default;
  virtual std::vector<ProcessEntry> Processes() = 0;
  virtual std::vector<ThreadEntry> Threads() = 0;
  virtual std::vector<ModuleEntry> Modules() = 0;  // of the program's own process
  // Opens with the rights to end, query and wait for it, not inheritable; null with the system's
  // error code when refused.
  virtual std::unique_ptr<OpenedProcess> Open(std::uint32_t processId, std::uint32_t& error) = 0;
  // The system's message for an error code.
  virtual std::string ErrorText(std::uint32_t error) = 0;
};

enum class EndOutcome {
  Ended,
  Gone,    // ended already, or its identifier now names another program: nothing was ended
  Failed,  // Windows refused; the error code says why
};

struct EndResult {
  EndOutcome outcome = EndOutcome::Failed;
  std::uint32_t error = 0;
};

// Ends the process with this identifier only while it is still the one listed: the same
// executable, started at the same time (another copy of the same program may have been given the
// identifier since). An empty name (the empty row) skips the checks and fails as Windows fails.
EndResult EndListedProcess(ProcessSystem& system, std::uint32_t processId,
                           const std::string& exeFile, std::uint64_t created);

struct ProcessViewControls {
  ui::GroupBox& processGroup;
  ui::StringGrid& processGrid;
  ui::MenuItem& endProcessItem;
};

class ProcessView {
 public:
  static constexpr char kWarningCaption[] = "Avertissement de Korvane";
  static constexpr char kWarningText[] =
      "Avertissement : Terminer un processus peut engendrer\r\n la perte de données ou "
      "l'instabilité du système.\r\n Le processus n'aura pas le temps d'enregistrer\r\n son état "
      "ou ses données avant d'être arrêté.\r\n Voulez-vous vraiment arrêter ce processus?";

  ProcessView(const ProcessViewControls& controls, ProcessSystem& system);
  ProcessView(const ProcessView&) = delete;
  ProcessView& operator=(const ProcessView&) = delete;

  // The warning before ending a process: true when the user answers Yes.
  std::function<bool(const std::string& caption, const std::string& text)> AskWarning;
  // A plain message (the system's text for a refused ending).
  std::function<void(const std::string& text)> ShowMessage;

  void MakeProcessList();
  void MakeThreadList();
  void MakeModuleList();

  void OnProcessPageShow();
  void OnRefreshProcessesClick() { MakeProcessList(); }
  void OnProcessesClick() { MakeProcessList(); }
  void OnModulesClick() { MakeModuleList(); }
  void OnThreadsClick() { MakeThreadList(); }
  void OnEndProcessClick();

  // 0 before any list, then 1 processes, 2 threads, 3 modules.
  std::uint8_t ProcessViewMode() const { return mode_; }

 private:
  struct Column {
    const char* header;
    int width;
  };
  void Rebuild(const std::vector<Column>& columns, std::vector<std::vector<std::string>> rows);

  ProcessViewControls c_;
  ProcessSystem& system_;
  std::vector<ProcessEntry> listed_;  // the process list shown
  std::uint8_t mode_ = 0;
};

}  // namespace kvn
