#include "settings/windows_tuning.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <climits>

#include "base/rounding.h"
#include "base/scope_guard.h"
#include "base/text.h"

namespace kvn {

TuningRelease TuningReleaseOf(const WindowsRelease& release) {
  TuningRelease t;
  t.IsWinNT = release.Flags.IsWinNT3 || release.Flags.IsWinNT4;
  t.IsWin2000 = release.Flags.IsWin2000;
  t.IsWinXP = release.Flags.IsWinXP || !release.LaterName.empty();
  return t;
}

namespace {

constexpr char kIoPageLockLimit[] = "IOPageLockLimit";
constexpr char kSecondLevelDataCache[] = "SecondLevelDataCache";
constexpr char kLargeSystemCache[] = "LargeSystemCache";
constexpr char kDisablePagingExecutive[] = "DisablePagingExecutive";
constexpr char kClearPageFileAtShutdown[] = "ClearPageFileAtShutdown";
constexpr char kAlwaysUnloadDll[] = "AlwaysUnloadDLL";

// The number in each cacheSizeCombo item's text is what is written; the last item stands for
// Windows' own default.
constexpr std::array<std::uint32_t, 7> kCacheLimits = {4096,  8192,   16384, 32768,
                                                       65536, 262144, 512};
constexpr int kDefaultCacheItem = 6;

constexpr std::array<std::uint32_t, 4> kPriorityClasses = {0x40, 0x20, 0x80, 0x100};

// Whole text as a signed number; anything else is not a number.
std::optional<long long> ParseInteger(const std::string& text) {
  long long value = 0;
  const char* first = text.data();
  const char* last = first + text.size();
  if (first != last && *first == '+') ++first;
  auto [end, error] = std::from_chars(first, last, value);
  if (error != std::errc() || end != last || first == last) return std::nullopt;
  return value;
}

}  // namespace

std::uint32_t IoPageLockLimitFor(int item) {
  return item >= 0 && item < static_cast<int>(kCacheLimits.size()) ? kCacheLimits[item]
                                                                   : kCacheLimits.back();
}

int CbCacheItemFor(std::optional<std::uint32_t> stored) {
  if (!stored) return kDefaultCacheItem;
  for (int i = 0; i < kDefaultCacheItem; ++i)
    if (kCacheLimits[i] == *stored) return i;
  return kDefaultCacheItem;
}

std::uint32_t PriorityClassFor(int item) {
  return item >= 0 && item < static_cast<int>(kPriorityClasses.size()) ? kPriorityClasses[item] : 0;
}

std::string OpacityHint(int position) {
  return std::to_string(RoundHalfEven(static_cast<long double>(position) / 255.0L * 100.0L)) + "%";
}

WindowsTuning::WindowsTuning(const TuningControls& controls, const Options& options,
                             Registry& registry, TuningSinks sinks, TuningRelease release,
                             TuningLocations locations)
    : c_(controls),
      options_(options),
      registry_(registry),
      sinks_(std::move(sinks)),
      release_(release),
      where_(std::move(locations)) {}

void WindowsTuning::Bind() {
  // Only a user's change writes: while the refresh shows what is stored, the handlers stay quiet,
  // or a value another tool just set would be written over at the next tick.
  const auto byUser = [this](void (WindowsTuning::*handler)()) {
    return [this, handler] {
      if (!refreshing_ && !readOnly_) (this->*handler)();
    };
  };
  c_.cacheSizeCombo.OnChange = byUser(&WindowsTuning::OnCacheSizeChange);
  c_.secondLevelCacheCheck.OnClick = byUser(&WindowsTuning::OnSecondLevelCacheClick);
  c_.largeSystemCacheGroup.OnClick = byUser(&WindowsTuning::OnLargeSystemCacheClick);
  c_.kernelInMemoryCheck.OnClick = byUser(&WindowsTuning::OnKernelInMemoryClick);
  c_.clearPageFileCheck.OnClick = byUser(&WindowsTuning::OnClearPageFileClick);
}

void WindowsTuning::ApplyAvailability(std::int64_t installedRamMB, bool lacksMachineRights) {
  const bool layered = release_.IsWinXP || release_.IsWin2000;
  c_.opacityTrackBar.SetEnabled(layered);
  c_.balloonsCheck.SetEnabled(layered);
  c_.cacheSizeCombo.SetEnabled(release_.NtFamily());
  c_.clearPageFileCheck.SetEnabled(release_.NtFamily());
  c_.kernelInMemoryCheck.SetEnabled(release_.NtFamily() && installedRamMB >= 511);
  // An XP limited account is refused as well as a Vista one without elevation: ask the keys.
  const auto refused = [this](RegistryRoot root, const std::string& path) {
    OpenFailure why = OpenFailure::None;
    return !registry_.Open(root, path, false, &why) && why == OpenFailure::Denied;
  };
  if (lacksMachineRights || refused(where_.memoryRoot, where_.memoryManagement) ||
      refused(where_.explorerRoot, where_.explorer))
    LockMachineValues();
}

void WindowsTuning::LockMachineValues() {
  c_.adminRightsLabel.SetCaption(kRightsText);
  c_.adminRightsLabel.SetVisible(true);
  // Boxes that could only be refused are not offered.
  c_.cacheSizeCombo.SetEnabled(false);
  c_.secondLevelCacheCheck.SetEnabled(false);
  c_.largeSystemCacheGroup.SetEnabled(false);
  c_.kernelInMemoryCheck.SetEnabled(false);
  c_.clearPageFileCheck.SetEnabled(false);
  c_.unloadDllsCheck.SetEnabled(false);
}

std::unique_ptr<RegistryKey> WindowsTuning::OpenMemoryManagement(OpenFailure* why) {
  return registry_.Open(where_.memoryRoot, where_.memoryManagement, false, why);
}

void WindowsTuning::WriteRefused(const std::string& failureLine) {
  if (sinks_.WriteLog) sinks_.WriteLog(failureLine);
  LockMachineValues();
  ShowStored(true);  // the control shows at once what is in effect
}

void WindowsTuning::WriteMemoryValue(const char* name, std::uint32_t value,
                                     const char* failureLine) {
  OpenFailure why = OpenFailure::None;
  auto key = OpenMemoryManagement(&why);
  if (!key && why == OpenFailure::Missing) return;  // Windows' key is never created
  if (!key || !key->WriteDword(name, value)) WriteRefused(failureLine);
}

void WindowsTuning::ReadMemoryTuning() {
  ShowStored(false);
}

void WindowsTuning::ShowStored(bool absentSwapIsOff) {
  // Runs on every load tick: the five values are read under one opening of the key (each
  // opening is a round trip to the registry), then the controls follow without writing.
  std::optional<std::uint32_t> paging, l2, large, ioLimit, clear;
  bool clearPresent = false;
  {
    // Reading needs no more: a user without the rights still sees what is stored.
    auto key = registry_.OpenReadOnly(where_.memoryRoot, where_.memoryManagement);
    if (!key) return;
    paging = key->ReadDword(kDisablePagingExecutive);
    l2 = key->ReadDword(kSecondLevelDataCache);
    if (release_.NtFamily()) large = key->ReadDword(kLargeSystemCache);
    ioLimit = key->ReadDword(kIoPageLockLimit);
    clearPresent = key->HasValue(kClearPageFileAtShutdown);
    if (clearPresent) clear = key->ReadDword(kClearPageFileAtShutdown);
  }
  refreshing_ = true;
  const ScopeGuard quiet([this] { refreshing_ = false; });
  c_.kernelInMemoryCheck.SetChecked(paging && *paging == 1);

  const std::uint32_t processorL2 = sinks_.SecondLevelCacheKB ? sinks_.SecondLevelCacheKB() : 0;
  // Compared as signed numbers: a negative stored size never matches.
  c_.secondLevelCacheCheck.SetChecked(l2 && static_cast<std::int32_t>(*l2) >= 0 &&
                                      *l2 == processorL2);

  if (release_.NtFamily()) {
    c_.largeSystemCacheGroup.SetItemIndex(large && *large == 1 ? 1 : 0);
  } else {
    c_.largeSystemCacheGroup.SetEnabled(false);
  }

  c_.cacheSizeCombo.SetItemIndex(CbCacheItemFor(ioLimit));

  // Absent, Windows keeps the page file; the refresh alone leaves the box as it is.
  if (clearPresent || absentSwapIsOff) c_.clearPageFileCheck.SetChecked(clear && *clear == 1);
}

void WindowsTuning::OnCacheSizeChange() {
  WriteMemoryValue(kIoPageLockLimit, IoPageLockLimitFor(c_.cacheSizeCombo.ItemIndex()),
                   "Probleme de IOPageLockLimit");
}

void WindowsTuning::OnSecondLevelCacheClick() {
  const std::uint32_t kb = sinks_.SecondLevelCacheKB ? sinks_.SecondLevelCacheKB() : 0;
  WriteMemoryValue(kSecondLevelDataCache, c_.secondLevelCacheCheck.Checked() ? kb : 0,
                   "SecondlevelDataCache");
}

void WindowsTuning::OnLargeSystemCacheClick() {
  WriteMemoryValue(kLargeSystemCache, c_.largeSystemCacheGroup.ItemIndex() == 0 ? 0 : 1,
                   "LargeSystemCache");
}

void WindowsTuning::OnKernelInMemoryClick() {
  WriteMemoryValue(kDisablePagingExecutive, c_.kernelInMemoryCheck.Checked() ? 1 : 0,
                   "DisablePagingExecutive");
}

void WindowsTuning::OnClearPageFileClick() {
  // Unlike the others, a key that does not open counts as a failed write.
  const bool on = c_.clearPageFileCheck.Checked();
  OpenFailure why = OpenFailure::None;
  auto key = OpenMemoryManagement(&why);
  if (key && key->WriteDword(kClearPageFileAtShutdown, on ? 1 : 0)) return;
  const char* line = on ? "ClearPageFileAtShutDown 1" : "ClearPageFileAtShutDown 0";
  if (!key && why == OpenFailure::Missing) {
    if (sinks_.WriteLog) sinks_.WriteLog(line);
    return;
  }
  WriteRefused(line);
}

void WindowsTuning::OnUnloadDllsClick() {
  if (refreshing_ || readOnly_) return;  // refreshing_: the box is being put back
  OpenFailure why = OpenFailure::None;
  if (WriteUnloadSwitch(options_.unloadDlls, &why)) return;
  // Refused: logged and locked as the memory values are. A missing key is never created; either
  // way the box shows at once what is in effect.
  if (why != OpenFailure::Missing) {
    if (sinks_.WriteLog) sinks_.WriteLog(kAlwaysUnloadDll);
    LockMachineValues();
  }
  refreshing_ = true;
  const ScopeGuard quiet([this] { refreshing_ = false; });
  c_.unloadDllsCheck.SetChecked(ReadAlwaysUnloadDll() == 1);
}

void WindowsTuning::SetAlwaysUnloadDll(bool on) {
  if (!readOnly_) WriteUnloadSwitch(on, nullptr);
}

bool WindowsTuning::WriteUnloadSwitch(bool on, OpenFailure* why) {
  auto key = registry_.Open(where_.explorerRoot, where_.explorer, false, why);
  // As text; as a DWORD where the text is refused.
  return key && (key->WriteText(kAlwaysUnloadDll, on ? "1" : "0") ||
                 key->WriteDword(kAlwaysUnloadDll, on ? 1 : 0));
}

int WindowsTuning::ReadAlwaysUnloadDll() {
  auto key = registry_.OpenReadOnly(where_.explorerRoot, where_.explorer);
  if (!key) return 0;
  if (const auto text = key->ReadText(kAlwaysUnloadDll)) {
    // A number past an int's range is kept at its end: cut to 32 bits, 4294967297 would read 1.
    if (const auto number = ParseInteger(*text))
      return static_cast<int>(std::clamp<long long>(*number, INT_MIN, INT_MAX));
  }
  // Not text, or text that is no number: the DWORD form, and 0 when that fails too.
  return static_cast<int>(key->ReadDword(kAlwaysUnloadDll).value_or(0));
}

void WindowsTuning::RemoveRunEntry() {
  if (auto key = registry_.Open(where_.runRoot, where_.run, false)) key->DeleteValue(kRunValue);
}

void WindowsTuning::RemoveOwnRunEntry() {
  const std::string path = sinks_.ProgramPath ? sinks_.ProgramPath() : std::string();
  auto key = registry_.Open(where_.runRoot, where_.run, false);
  if (path.empty() || !key) return;
  // Windows compares paths without regard to letter case; the entry may lack its quotes.
  const std::optional<std::string> entry = key->ReadText(kRunValue);
  const std::string own = AsciiLower(path);
  if (entry && (AsciiLower(*entry) == own || AsciiLower(*entry) == QuotedPath(own)))
    key->DeleteValue(kRunValue);
}

void WindowsTuning::WriteRunEntry() {
  const std::string path = sinks_.ProgramPath ? sinks_.ProgramPath() : std::string();
  // Without the program's path an entry would start nothing: the one there stays as it is.
  if (path.empty()) return;
  RemoveRunEntry();
  auto key = registry_.Open(where_.runRoot, where_.run, false);
  if (!key) return;
  key->WriteText(kRunValue, QuotedPath(path));  // a refused write is ignored
}

void WindowsTuning::SetStayOnTop(bool on) {
  if (sinks_.SetTopmost) sinks_.SetTopmost(on);
}

void WindowsTuning::ApplyPriority(int index) {
  const std::uint32_t priorityClass = PriorityClassFor(index);
  if (priorityClass != 0 && sinks_.SetPriorityClass) sinks_.SetPriorityClass(priorityClass);
}

void WindowsTuning::OnPriorityChange() {
  const int index = options_.priority;
  if (index > 1 && sinks_.ShowWarning) sinks_.ShowWarning(kPriorityWarning);
  ApplyPriority(index);
}

void WindowsTuning::OnOpacityChange() {
  const int position = options_.opacity;
  if (sinks_.SetAlpha) sinks_.SetAlpha(position);
  c_.opacityTrackBar.SetHint(OpacityHint(position));
}

}  // namespace kvn
