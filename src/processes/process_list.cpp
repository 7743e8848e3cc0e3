#include "processes/process_list.h"

#include <algorithm>

namespace kvn {

namespace {

constexpr char kProcessCaption[] = "Liste des processus en cours";
constexpr char kThreadCaption[] = "Liste des processus en cours d'exécution";
constexpr char kModuleCaption[] = "Liste des modules (Dlls) chargés";
constexpr int kDefaultColWidth = 64;

bool IsBlank(char c) {
  return static_cast<unsigned char>(c) <= ' ';
}

}  // namespace

std::string HexIdText(std::uint32_t number) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string digits;
  for (std::uint32_t n = number; n != 0; n >>= 4) digits.insert(digits.begin(), kDigits[n & 15]);
  if (digits.empty())
    digits = "0";  // zero is the one value shown with a single digit
  else if (digits.size() % 2 != 0)
    digits.insert(digits.begin(), '0');  // whole bytes
  const std::size_t missing = digits.size() < 8 ? std::min<std::size_t>(8 - digits.size(), 3) : 0;
  return "$" + std::string(missing, '0') + digits;
}

std::uint32_t ParseIdText(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  while (!text.empty() && text.front() == '0') text.remove_prefix(1);
  const bool hex = !text.empty() && text.front() == '$';
  if (hex) text.remove_prefix(1);
  const std::uint64_t base = hex ? 16 : 10;
  std::uint64_t value = 0;
  for (char c : text) {
    int digit;
    if (c >= '0' && c <= '9')
      digit = c - '0';
    else if (hex && c >= 'a' && c <= 'f')
      digit = c - 'a' + 10;
    else if (hex && c >= 'A' && c <= 'F')
      digit = c - 'A' + 10;
    else
      return 0;
    value = value * base + static_cast<std::uint64_t>(digit);
    if (value > 0xFFFFFFFFu) return 0;  // no identifier is that large
  }
  return static_cast<std::uint32_t>(value);
}

std::string PriorityText(long basePriority) {
  if (basePriority < 0 || basePriority > 31) return std::to_string(basePriority);
  if (basePriority <= 4) return "Basse";
  if (basePriority <= 7) return "Inférieure à la normale";
  if (basePriority == 10) return "Supérieure à la normale";
  if (basePriority <= 12) return "Normale";
  if (basePriority <= 23) return "Haute";
  return "Temps réel";
}

EndResult EndListedProcess(ProcessSystem& system, std::uint32_t processId,
                           const std::string& exeFile, std::uint64_t created) {
  auto listedUnderName = [&] {
    for (const ProcessEntry& p : system.Processes())
      if (p.processId == processId) return p.exeFile == exeFile;
    return false;
  };
  EndResult result;
  std::unique_ptr<OpenedProcess> process = system.Open(processId, result.error);
  if (!process) {
    // Refused for a process that is still there is Windows' answer to give; a process that has
    // gone since the list was made is simply no longer there to end.
    if (!exeFile.empty() && !listedUnderName()) result = {EndOutcome::Gone, 0};
    return result;
  }
  // Held open, the identifier stays this process's: what the snapshot lists under it now, and
  // the start time it has, are those of what would be ended. A start time unknown at the
  // listing proves nothing: such a process is left alone, with a name or without one.
  if (!process->StillRunning() || created == 0 || process->CreationTime() != created ||
      (!exeFile.empty() && !listedUnderName()))
    return {EndOutcome::Gone, 0};
  if (process->Terminate(result.error)) return {EndOutcome::Ended, 0};
  return result;
}

ProcessView::ProcessView(const ProcessViewControls& controls, ProcessSystem& system)
    : c_(controls), system_(system) {}

void ProcessView::Rebuild(const std::vector<Column>& columns,
                          std::vector<std::vector<std::string>> rows) {
  ui::StringGrid& grid = c_.processGrid;
  const int remembered = grid.Row();
  const int cols = static_cast<int>(columns.size());
  // Every rebuild ends with the widths of the list's layout (a column the user widened goes back
  // to its width); only what differs is sent, so an unchanged layout costs the list no redraw.
  if (grid.ColCount() != cols) grid.SetSize(cols, 2);
  for (int col = 0; col < cols; ++col) {
    const int width = columns[col].width > 0 ? columns[col].width : kDefaultColWidth;
    if (grid.ColWidth(col) != width) grid.SetColWidth(col, width);
  }
  std::vector<std::string> header;
  for (const Column& column : columns) header.emplace_back(column.header);
  rows.insert(rows.begin(), std::move(header));
  if (rows.size() < 2) rows.emplace_back(cols);  // an empty list keeps one empty row
  // All rows in one go: the grid is redrawn once, not row by row.
  grid.SetRows(std::move(rows));
  if (remembered < grid.RowCount()) grid.SetRow(remembered);
}

void ProcessView::MakeProcessList() {
  mode_ = 1;
  std::vector<std::vector<std::string>> rows;
  listed_ = system_.Processes();
  for (const ProcessEntry& p : listed_)
    rows.push_back({p.exeFile, HexIdText(p.processId), std::to_string(p.threadCount),
                    PriorityText(p.basePriority)});
  // "#Threads" keeps the default width: its title needs more than 50 px in Tahoma.
  Rebuild({{"Exe", 250}, {"PId", 60}, {"#Threads", 64}, {"Priorité", 90}}, std::move(rows));
  c_.endProcessItem.Enabled = true;
}

void ProcessView::MakeThreadList() {
  mode_ = 2;
  c_.processGroup.SetCaption(kThreadCaption);
  std::vector<std::vector<std::string>> rows;
  for (const ThreadEntry& t : system_.Threads())
    rows.push_back({HexIdText(t.threadId), std::to_string(t.usage), HexIdText(t.ownerProcessId),
                    std::to_string(t.basePriority), std::to_string(t.deltaPriority)});
  Rebuild({{"TId", 64}, {"Usage", 64}, {"PId", 64}, {"BasePri", 64}, {"DeltaPri", 64}},
          std::move(rows));
  c_.endProcessItem.Enabled = false;
}

void ProcessView::MakeModuleList() {
  mode_ = 3;
  c_.processGroup.SetCaption(kModuleCaption);
  std::vector<std::vector<std::string>> rows;
  for (const ModuleEntry& m : system_.Modules()) rows.push_back({m.name, m.path});
  Rebuild({{"Nom", 100}, {"Chemin", 350}}, std::move(rows));
  c_.endProcessItem.Enabled = false;
}

void ProcessView::OnProcessPageShow() {
  MakeProcessList();
  c_.processGroup.SetCaption(kProcessCaption);
}

void ProcessView::OnEndProcessClick() {
  // What the user chose, taken before the warning: nothing can change it while the box is open.
  const ui::StringGrid& grid = c_.processGrid;
  const int row = grid.Row();
  const bool hasRow = row >= 1 && row < grid.RowCount() && grid.ColCount() >= 2;
  const std::uint32_t processId = hasRow ? ParseIdText(grid.Cell(1, row)) : 0;
  const std::string exeFile = hasRow ? grid.Cell(0, row) : std::string();
  std::uint64_t created = 0;
  for (const ProcessEntry& p : listed_)
    if (p.processId == processId && mode_ == 1) created = p.created;

  if (!AskWarning || !AskWarning(kWarningCaption, kWarningText)) return;
  if (mode_ != 1) return;
  const EndResult result = EndListedProcess(system_, processId, exeFile, created);
  MakeProcessList();
  if (result.outcome == EndOutcome::Failed && ShowMessage)
    ShowMessage(system_.ErrorText(result.error));
}

}  // namespace kvn
