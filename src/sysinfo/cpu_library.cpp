#include "sysinfo/cpu_library.h"

#include <algorithm>
#include <stdexcept>

#include "base/text.h"

namespace kvn {

namespace {

constexpr std::uint8_t K(int kind) {
  return static_cast<std::uint8_t>(1u << (kind - 1));
}
constexpr std::uint8_t kStd = K(1);
constexpr std::uint8_t kEcx = K(2);
constexpr std::uint8_t kExt = K(3);
constexpr std::uint8_t kPow = K(4);

std::unique_ptr<CpuLibrary>& GlobalLibrary() {
  static std::unique_ptr<CpuLibrary> library;
  return library;
}

}  // namespace

const std::array<CpuVendorInfo, 9> CpuVendorTable = {{
    {"BadCpuVendor", "Unknown ", "Unknown Vendor", 0, 0},
    {"GenuineIntel", "Intel ", "Intel Corporation", 1, 0},
    {"AuthenticAMD", "AMD ", "Advanced Micro Devices", 2, 1},
    {"CyrixInstead", "Cyrix ", "Via Technologies Inc", 3, 2},
    {"CentaurHauls", "Via ", "Via Technologies Inc", 0, 1},
    {"NexGenDriven", "NexGen ", "NexGen Inc", 0, 0},
    {"UMC UMC UMC ", "UMC ", "United Microelectronics Corp", 0, 0},
    {"RiseRiseRise", "Rise ", "Rise Technology", 0, 0},
    {"GenuineTMx86", "Transmeta ", "Transmeta", 2, 1},
}};

const std::array<CpuFeatureRow, 48> CpuFeatureTable = {{
    {0, "FPU", kStd | kExt, 0, "Floating Point Unit"},
    {0, "TS", kPow, 2, "Temperature Sensor"},
    {1, "VME", kStd | kExt, 0, "Virtual Mode Extensions"},
    {1, "FID", kPow, 2, "Frequency ID Control"},
    {2, "DE", kStd | kExt, 0, "Debugging Extensions"},
    {2, "VID", kPow, 2, "Voltage ID Control"},
    {3, "PSE", kStd | kExt, 0, "Page Size Extensions"},
    {3, "TPP", kPow, 2, "Thermal Trip"},
    {4, "TSC", kStd | kExt, 0, "Time Stamp Counter"},
    {4, "TM", kPow, 2, "Thermal Monitoring"},
    {5, "MSR", kStd | kExt, 0, "Model Specific Registers"},
    {5, "STC", kPow, 2, "Software Thermal Control"},
    {6, "PAE", kStd | kExt, 0, "Physical Address Extension"},
    {7, "MCE", kStd | kExt, 0, "Machine Check Exception"},
    {7, "TM2", kEcx, 0, "Thermal Monitor 2"},
    {8, "CX8", kStd | kExt, 0, "CMPXCHG8B Instruction"},
    {8, "EST", kEcx, 0, "Enhanced SpeedStep Technology"},
    {9, "APIC", kStd | kExt, 0, "On-chip APIC"},
    {10, "CID", kEcx, 0, "Context ID"},
    {11, "SEP", kStd | kExt, 0, "Fast System Call"},
    {12, "MTRR", kStd | kExt, 0, "Memory Type Range Registers"},
    {13, "PGE", kStd | kExt, 0, "Page Global Enable"},
    {14, "MCA", kStd | kExt, 0, "Machine Check Architecture"},
    {15, "CMOV", kStd | kExt, 0, "Conditional Move Instructions"},
    {16, "PAT", kStd | kExt, 0, "Page Attribute Table"},
    {17, "PSE36", kStd, 0, "36-bit Page Size Extension"},
    {18, "PSN", kStd, 0, "Processor Serial Number"},
    {19, "CLFSH", kStd | kExt, 0, "CLFLUSH Instruction"},
    {19, "MP", kExt, 2, "Multiprocessing Capable"},
    {20, "NX", kExt, 2, "No-Execute Page Protection"},
    {20, "NX", kExt, 3, "No-Execute Page Protection"},
    {21, "DTES", kStd, 0, "Debug Trace Store"},
    {22, "ACPI", kStd, 0, "Thermal Monitor and Clock Control"},
    {22, "MMX+", kExt, 2, "MMX Extensions"},
    {23, "MMX", kStd | kExt, 0, "MMX Technology"},
    {24, "FXSR", kStd | kExt, 0, "FXSAVE and FXRSTOR Instructions"},
    {24, "MMX+", kExt, 3, "MMX Extensions"},
    {25, "SSE", kStd, 0, "Streaming SIMD Extensions"},
    {26, "SSE2", kStd, 0, "Streaming SIMD Extensions 2"},
    {27, "SS", kStd, 0, "Self-Snoop"},
    {28, "HTT", kStd, 0, "Hyper-Threading Technology"},
    {29, "TM", kStd, 0, "Thermal Monitor"},
    {29, "LM", kExt, 2, "Long Mode"},
    {29, "LM", kExt, 3, "Long Mode"},
    {30, "IA-64", kStd, 0, "IA-64 Processor"},
    {30, "3DNOW+", kExt, 2, "3DNow! Extensions"},
    {31, "SBF", kStd, 0, "Signal Break on FERR"},
    {31, "3DNOW", kExt, 2, "3DNow! Instructions"},
}};

// --- CPUID readings ---------------------------------------------------------------------------

CpuAffinity::CpuAffinity(const CpuLibrary& library, std::uint8_t index) {
  if (!library.IsMultiProcessor() || index >= 32) return;
  ICpuSystem& system = library.System();
  std::uint32_t mask = index < system.ProcessorCount() ? (1u << index) : 1u;
  previousMask_ = system.SetThreadAffinityMask(mask);
  if (!previousMask_) return;  // refused: the reading runs unpinned
  system_ = &system;
  system.YieldTimeSlice();
}

CpuAffinity::~CpuAffinity() {
  if (system_) system_->SetThreadAffinityMask(previousMask_);
}

bool IsLeafSupported(const CpuLibrary& library, std::uint8_t index, std::uint32_t leaf) {
  std::uint32_t base = 0;
  if (leaf >= 0x80000000u && leaf <= 0x80000008u)
    base = 0x80000000u;
  else if (leaf >= 0x80860000u && leaf <= 0x80860007u)
    base = 0x80860000u;
  CpuAffinity pin(library, index);
  return library.Source().Execute(base, 0).eax >= leaf;
}

Cpuid::Cpuid(const CpuLibrary& library, std::uint8_t index, std::uint32_t repeat,
             std::uint32_t leaf, std::uint32_t subLeaf) {
  CpuAffinity pin(library, index);
  supported_ = IsLeafSupported(library, index, leaf);
  if (!supported_) return;
  // A reading with no execution would have no registers at all: run it at least once.
  repeat = std::max<std::uint32_t>(repeat, 1);
  for (std::uint32_t i = 0; i < repeat; ++i) registers_ = library.Source().Execute(leaf, subLeaf);
}

Cpuid ProcessorCpuid::Execute(std::uint32_t leaf, std::uint32_t repeat) const {
  return Cpuid(*library_, index_, repeat, leaf);
}

Cpuid ProcessorCpuid::SubLeaf(std::uint32_t leaf, std::uint32_t subLeaf) const {
  return Cpuid(*library_, index_, 1, leaf, subLeaf);
}

std::uint32_t ProcessorCpuid::HighestExtendedLeaf() const {
  return Execute(0x80000000u).Registers().eax;
}

std::uint32_t ProcessorCpuid::HighestTransmetaLeaf() const {
  return Execute(0x80860000u).Registers().eax;
}

std::string RegisterText(std::uint32_t value) {
  std::string text(4, '\0');
  for (int i = 0; i < 4; ++i) text[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  return text;
}

// --- Vendor and signature ---------------------------------------------------------------------

ProcessorVendor::ProcessorVendor(const CpuLibrary& library, std::uint8_t index) {
  CpuidRegisters r = Cpuid(library, index, 1, 0).Registers();
  vendorString_ = RegisterText(r.ebx) + RegisterText(r.edx) + RegisterText(r.ecx);
  for (std::size_t row = 0; row < CpuVendorTable.size(); ++row) {
    if (vendorString_ == CpuVendorTable[row].Signature) {
      cpuVendor_ = static_cast<CpuVendorId>(row + 1);
      break;
    }
  }
}

const CpuVendorInfo& ProcessorVendor::Info() const {
  return CpuVendorTable[static_cast<std::size_t>(cpuVendor_) - 1];
}

ProcessorSignature::ProcessorSignature(const CpuLibrary& library, std::uint8_t index) {
  CpuidRegisters r = Cpuid(library, index, 1, 1).Registers();
  value_ = r.eax;
  stepping_ = value_ & 0xF;
  model_ = (value_ >> 4) & 0xF;
  family_ = (value_ >> 8) & 0xF;
  type_ = (value_ >> 12) & 0x3;
  if (family_ == 15) family_ += (value_ >> 20) & 0xFF;
  // The extended model is added, not shifted in front of the model.
  if (model_ == 15) model_ += (value_ >> 16) & 0xF;
  brandIndex_ = r.ebx & 0xFF;
}

std::string ProcessorSignature::Text() const {
  return "x86 Family " + std::to_string(family_) + " Model " + std::to_string(model_) +
         " Stepping " + std::to_string(stepping_);
}

// --- Features ---------------------------------------------------------------------------------

FeatureSetDefinition::FeatureSetDefinition(FeatureSetKind kind, std::uint8_t featureVendorCode) {
  const std::uint8_t kindBit = K(static_cast<int>(kind));
  auto pass = [&](std::uint8_t vendorCode) {
    for (const CpuFeatureRow& row : CpuFeatureTable)
      if (row.VendorCode == vendorCode && (row.Sets & kindBit)) slots_[row.Bit] = &row;
  };
  pass(0);
  if (featureVendorCode != 0) pass(featureVendorCode);
}

int FeatureSetDefinition::Count() const {
  return static_cast<int>(std::count_if(slots_.begin(), slots_.end(),
                                        [](const CpuFeatureRow* row) { return row != nullptr; }));
}

bool CpuFeature::Available() const {
  if (!row_) return false;
  std::uint32_t leaf = 1;
  if (kind_ == FeatureSetKind::Extended)
    leaf = 0x80000001u;
  else if (kind_ == FeatureSetKind::PowerManagement)
    leaf = 0x80000007u;
  Cpuid reading(*library_, index_, 1, leaf);
  if (!reading.Supported()) return false;
  std::uint32_t reg =
      kind_ == FeatureSetKind::StandardEcx ? reading.Registers().ecx : reading.Registers().edx;
  return ((reg >> row_->Bit) & 1u) != 0;
}

CpuFeatureSet::CpuFeatureSet(const CpuLibrary& library, std::uint8_t index, FeatureSetKind kind)
    : library_(&library),
      index_(index),
      kind_(kind),
      vendor_(CpuVendorId::cvUnknown),
      vendorCode_(0),
      family_(0),
      model_(0),
      definition_(kind, 0) {
  ProcessorVendor vendor(library, index);
  vendor_ = vendor.CpuVendor();
  vendorCode_ = vendor.FeatureVendorCode();
  definition_ = FeatureSetDefinition(kind, vendorCode_);
  if (vendorCode_ == 2 || vendorCode_ == 3) {
    ProcessorSignature signature(library, index);
    family_ = signature.Family();
    model_ = signature.Model();
  }
}

bool CpuFeatureSet::Exists() const {
  switch (kind_) {
    case FeatureSetKind::Extended:
      return IsLeafSupported(*library_, index_, 0x80000001u);
    case FeatureSetKind::PowerManagement:
      return IsLeafSupported(*library_, index_, 0x80000007u);
    default:
      return IsLeafSupported(*library_, index_, 1);
  }
}

CpuFeature CpuFeatureSet::ByIndex(std::uint32_t bit) const {
  return CpuFeature(*library_, index_, kind_, bit, definition_.Slot(bit));
}

CpuFeature CpuFeatureSet::ByName(std::string_view name) const {
  const std::string upper = AsciiUpper(name);
  if (vendorCode_ == 2 || vendorCode_ == 3) {
    // Where these vendors report a feature at a bit of their own.
    if (upper == "MMX+") {
      if (vendor_ == CpuVendorId::cvAmd) return ByIndex(22);
      if (vendor_ == CpuVendorId::cvCyrix) return ByIndex(24);
    }
    if (upper == "PGE" && vendor_ == CpuVendorId::cvAmd && family_ == 5 && model_ == 0)
      return ByIndex(9);
    if (upper == "SEP" && vendor_ == CpuVendorId::cvAmd && family_ == 6) return ByIndex(10);
  }
  for (std::uint32_t bit = 0; bit < 32; ++bit) {
    const CpuFeatureRow* row = definition_.Slot(bit);
    if (row && upper == row->Name) return ByIndex(bit);
  }
  return CpuFeature(*library_, index_, kind_, 0, nullptr);
}

CpuFeature ProcessorFeatures::FindFeature(std::string_view name) const {
  const std::string upper = AsciiUpper(name);
  for (const CpuFeatureRow& row : CpuFeatureTable) {
    if (upper != row.Name) continue;
    for (int kind = 1; kind <= 4; ++kind)
      if (row.Sets & K(kind)) return Set(static_cast<FeatureSetKind>(kind)).ByName(upper);
  }
  return CpuFeature(*library_, index_, FeatureSetKind::Standard, 0, nullptr);
}

// --- Count and library ------------------------------------------------------------------------

std::uint32_t ProcessorCountInfo::Value() const {
  return library_->System().ProcessorCount();
}

CpuLibrary::CpuLibrary(std::shared_ptr<ICpuidSource> source, std::shared_ptr<ICpuSystem> system,
                       std::shared_ptr<ICpuClock> clock)
    : source_(std::move(source)), system_(std::move(system)), clock_(std::move(clock)) {
  if (!source_ || !system_) throw std::invalid_argument("TCpuLibrary needs a CPUID source");
  isMultiProcessor_ = system_->ProcessorCount() > 1;
}

CpuLibrary& InstalledCpuLibrary() {
  if (!GlobalLibrary()) throw std::logic_error("The processor library is not initialised");
  return *GlobalLibrary();
}

void InstallCpuLibrary(std::unique_ptr<CpuLibrary> library) {
  GlobalLibrary() = std::move(library);
}

}  // namespace kvn
