#include "sysinfo/system_info.h"

#include <cmath>
#include <exception>

#include "base/rounding.h"

namespace kvn {

namespace {

// A whole decimal number of at most nine figures; nullopt for anything else.
std::optional<unsigned> DecimalField(const std::string& text) {
  if (text.empty() || text.size() > 9) return std::nullopt;
  unsigned value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  return value;
}

}  // namespace

std::string FormatNumber(double value, int decimals, const NumberSeparators& separators,
                         bool grouped) {
  if (!std::isfinite(value) || decimals < 0 || decimals > 4) return {};
  // With at most four decimals the scaled value is exact in a long double (a double's 53 bits
  // times 5^4 fit its 64), so rounding it gives the correctly rounded figures without printf.
  long double scaled = std::fabs(static_cast<long double>(value));
  for (int i = 0; i < decimals; ++i) scaled *= 10;
  if (scaled >= 9e18L) return {};
  std::string digits = std::to_string(RoundHalfEven(scaled));
  if (digits.size() <= static_cast<std::size_t>(decimals))
    digits.insert(0, static_cast<std::size_t>(decimals) + 1 - digits.size(), '0');
  const bool negative = std::signbit(value);
  std::string whole = digits.substr(0, digits.size() - static_cast<std::size_t>(decimals));
  const std::string fraction = digits.substr(whole.size());
  if (grouped)
    for (int pos = static_cast<int>(whole.size()) - 3; pos > 0; pos -= 3)
      whole.insert(static_cast<std::size_t>(pos), separators.Thousand);
  return (negative ? "-" : "") + whole + (fraction.empty() ? "" : separators.Decimal + fraction);
}

std::optional<DirectXVersionInfo> ParseDirectXVersion(const std::string& value) {
  // "4.09.00.0902": the field after the first dot is the major, the next one the minor, and the
  // last figure of the rest gives the letter.
  std::string rest = value;
  DirectXVersionInfo info;
  for (std::uint16_t* field : {&info.Major, &info.Minor}) {
    const std::size_t dot = rest.find('.');
    if (dot == std::string::npos) return std::nullopt;
    rest.erase(0, dot + 1);
    const std::size_t next = rest.find('.');
    if (next == std::string::npos) return std::nullopt;
    const auto number = DecimalField(rest.substr(0, next));
    if (!number || *number > 0xFFFF) return std::nullopt;
    *field = static_cast<std::uint16_t>(*number);
  }
  if (rest.empty() || rest.back() < '0' || rest.back() > '9') return std::nullopt;
  const int d = rest.back() - '0';
  if (d > 0) info.Letter = std::string(1, static_cast<char>('a' + d - 1));
  return info;
}

std::optional<DisplayMode> CurrentDisplayMode(const std::vector<DisplayMode>& modes,
                                              std::int32_t screenWidth) {
  std::optional<DisplayMode> found;
  for (const DisplayMode& mode : modes)
    if (mode.Width == screenWidth) found = mode;
  return found;
}

std::vector<std::string> DrivesFreeSpaceList(SystemInfoServices& services,
                                             const NumberSeparators& separators, int unit,
                                             int decimals) {
  static constexpr const char* kUnitText[] = {" Ko libres", " Mo libres", " Go libres"};
  std::vector<std::string> lines;
  for (int drive = 3; drive <= 26; ++drive) {
    try {
      const std::int64_t free = services.DriveFreeBytes(drive);
      if (free <= 0) continue;  // missing, empty removable or full: no line
      double scaled = static_cast<double>(free);
      for (int i = 0; i <= unit && i < 3; ++i) scaled /= 1024;
      const char* unitText = kUnitText[unit < 0 ? 0 : unit > 2 ? 2 : unit];
      lines.push_back(std::string(1, static_cast<char>('A' + drive - 1)) + ":\\ " +
                      FormatNumber(scaled, decimals, separators, true) + unitText);
    } catch (const std::exception&) {
      // One drive that cannot be described costs its own line only.
    }
  }
  return lines;
}

std::string CpuSpeedCaption(double mhz, const NumberSeparators& separators) {
  return "Vitesse réelle Processeur : " + FormatNumber(mhz, 2, separators, false) + " Mhz";
}

std::string FirstCharacters(const std::string& text, std::size_t count) {
  std::size_t end = 0;
  for (std::size_t n = 0; end < text.size() && n < count; ++n) {
    ++end;
    while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
  }
  return text.substr(0, end);
}

std::string AboutCaptionWithVersion(const std::string& caption, const std::string& fileVersion,
                                    const std::string& fileDate) {
  return caption + FirstCharacters(fileVersion, 10) + " " + FirstCharacters(fileDate, 20);
}

InfoPage::InfoPage(const InfoPageControls& controls, SystemInfoServices& services,
                   WindowsReleaseSource& releaseSource, const WindowsRelease& release,
                   NumberSeparators separators, std::int64_t installedRamMB)
    : c_(controls),
      services_(services),
      releaseSource_(releaseSource),
      release_(release),
      separators_(std::move(separators)),
      installedRamMB_(installedRamMB) {}

void InfoPage::Bind() {
  c_.systemInfoPage.OnShow = [this] { OnSystemInfoPageShow(); };
  c_.refreshInfoButton.OnClick = [this] { OnRefreshInfoClick(); };
}

void InfoPage::GetInfoSystem() {
  c_.windowsVersionLabel.SetCaption(WindowsVersionText(release_, releaseSource_));
  const std::string computer = services_.ComputerName();
  c_.computerNameLabel.SetCaption("Nom Machine : " + computer);
  c_.userNameLabel.SetCaption("Nom Utilisateur : " + services_.UserName());
  c_.ipAddressLabel.SetCaption("Addresse IP : " + services_.LocalIpAddress(computer));
  c_.installedRamLabel.SetCaption("RAM Installée : " + std::to_string(installedRamMB_) + " MB");
  // The clock is measured for half a second away from the window; the label follows when the
  // measurement ends. One measurement at a time.
  if (!measuring_) {
    measuring_ = true;
    bool started = false;
    try {
      started = services_.StartCpuSpeedMeasurement([this](double mhz) { CpuSpeedMeasured(mhz); });
    } catch (...) {
      measuring_ = false;
      throw;
    }
    // No thread to measure on: the label keeps its last value and the next showing tries again.
    if (!started) measuring_ = false;
  }
  const auto value = services_.DirectXVersionValue();
  const auto directX = value ? ParseDirectXVersion(*value) : std::nullopt;
  c_.directXLabel.SetCaption(directX ? "Version de DirectX : " + std::to_string(directX->Major) +
                                           "." + std::to_string(directX->Minor) + directX->Letter
                                     : "DirectX non installé.");
  auto mode = services_.CurrentMode();
  if (!mode) mode = CurrentDisplayMode(services_.DisplayModes(), services_.ScreenWidth());
  c_.resolutionLabel.SetCaption(mode ? "Résolution : " + std::to_string(mode->Width) + " * " +
                                           std::to_string(mode->Height) + " " +
                                           std::to_string(mode->BitsPerPixel) + " Bits."
                                     : "Erreur récup. résol.");
}

void InfoPage::CpuSpeedMeasured(double mhz) {
  measuring_ = false;
  c_.processorSpeedLabel.SetCaption(CpuSpeedCaption(mhz, separators_));
}

void InfoPage::ReplaceDrives() {
  c_.drivesMemo.SetLines(DrivesFreeSpaceList(services_, separators_));
}

void InfoPage::OnSystemInfoPageShow() {
  GetInfoSystem();
  if (DrivesRefreshPending) {
    ReplaceDrives();
    DrivesRefreshPending = false;
  }
}

void InfoPage::OnRefreshInfoClick() {
  GetInfoSystem();
  DrivesRefreshPending = true;
  ReplaceDrives();
}

}  // namespace kvn
