#pragma once
// Processor identification: vendor, signature, feature flags, name, clock and caches of each
// processor, read with CPUID. Every query object is made fresh from a processor index and reads
// the registers again: nothing is cached, so asking twice measures or executes twice.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "sysinfo/cpuid_source.h"

namespace kvn {

class TCpuLibrary;

// --- Tables ----------------------------------------------------------------------------------

// The CpuVendor value is the row number of the vendor table.
enum class TCpuVendor : std::uint8_t {
  cvUnknown = 1,
  cvIntel,
  cvAmd,
  cvCyrix,
  cvVia,
  cvNexGen,
  cvUmc,
  cvRise,
  cvTransmeta
};

struct TCpuVendorInfo {
  const char* Signature;
  const char* ShortName;  // ends in one blank: it prefixes the generic name
  const char* CompanyName;
  std::uint8_t FeatureVendorCode;
  std::uint8_t CacheMethodCode;
};
extern const std::array<TCpuVendorInfo, 9> CpuVendorTable;

// Feature set kinds: 1 leaf 1 EDX, 2 leaf 1 ECX, 3 leaf 0x80000001 EDX, 4 leaf 0x80000007 EDX.
enum class TFeatureSetKind : std::uint8_t { Standard = 1, StandardEcx, Extended, PowerManagement };

struct TCpuFeatureRow {
  std::uint8_t Bit;
  const char* Name;
  std::uint8_t Sets;        // bit (kind - 1) set for each kind that holds the row
  std::uint8_t VendorCode;  // 0: any vendor
  const char* Description;
};
extern const std::array<TCpuFeatureRow, 48> CpuFeatureTable;

// --- CPUID readings ---------------------------------------------------------------------------

// Pins the whole process to one processor for its lifetime, on a multiprocessor machine.
class TCpuAffinity {
 public:
  TCpuAffinity(const TCpuLibrary& library, std::uint8_t index);
  ~TCpuAffinity();
  TCpuAffinity(const TCpuAffinity&) = delete;
  TCpuAffinity& operator=(const TCpuAffinity&) = delete;

 private:
  ICpuSystem* system_ = nullptr;  // null when nothing was pinned
  std::uint32_t previousMask_ = 0;
};

// Whether a leaf lies within the range maximum the processor reports (pinned for the check).
bool IsLeafSupported(const TCpuLibrary& library, std::uint8_t index, std::uint32_t leaf);

// One CPUID reading on one processor: the registers of the last of `repeat` executions, or four
// zero registers when the leaf is not supported.
class TCpuid {
 public:
  TCpuid(const TCpuLibrary& library, std::uint8_t index, std::uint32_t repeat, std::uint32_t leaf,
         std::uint32_t subLeaf = 0);
  const CpuidRegisters& Registers() const { return registers_; }
  bool Supported() const { return supported_; }

 private:
  CpuidRegisters registers_;
  bool supported_ = false;
};

// The processor's CPUID as a whole: single readings and the maximum leaf of each range.
class TProcessorCpuid {
 public:
  TProcessorCpuid(const TCpuLibrary& library, std::uint8_t index)
      : library_(&library), index_(index) {}
  TCpuid Execute(std::uint32_t leaf, std::uint32_t repeat = 1) const;
  // One reading of a leaf that has sub-leaves (ECX).
  TCpuid SubLeaf(std::uint32_t leaf, std::uint32_t subLeaf) const;
  std::uint32_t HighestExtendedLeaf() const;
  std::uint32_t HighestTransmetaLeaf() const;

 private:
  const TCpuLibrary* library_;
  std::uint8_t index_;
};

// Four register bytes in memory order, lowest first.
std::string RegisterText(std::uint32_t value);

// --- Vendor and signature ---------------------------------------------------------------------

class TProcessorVendor {
 public:
  TProcessorVendor(const TCpuLibrary& library, std::uint8_t index);
  const std::string& VendorString() const { return vendorString_; }
  TCpuVendor CpuVendor() const { return cpuVendor_; }
  const TCpuVendorInfo& Info() const;
  std::string CompanyName() const { return Info().CompanyName; }
  std::string ShortName() const { return Info().ShortName; }
  std::uint8_t FeatureVendorCode() const { return Info().FeatureVendorCode; }
  std::uint8_t CacheMethodCode() const { return Info().CacheMethodCode; }

 private:
  std::string vendorString_;
  TCpuVendor cpuVendor_ = TCpuVendor::cvUnknown;
};

class TProcessorSignature {
 public:
  TProcessorSignature(const TCpuLibrary& library, std::uint8_t index);
  std::uint32_t ProcessorType() const { return type_; }
  std::uint32_t Family() const { return family_; }
  std::uint32_t Model() const { return model_; }
  std::uint32_t Stepping() const { return stepping_; }
  std::uint32_t BrandIndex() const { return brandIndex_; }
  std::uint32_t Value() const { return value_; }
  // "x86 Family %d Model %d Stepping %d"
  std::string Text() const;

 private:
  std::uint32_t type_ = 0, family_ = 0, model_ = 0, stepping_ = 0, brandIndex_ = 0, value_ = 0;
};

// --- Features ---------------------------------------------------------------------------------

// The 32 slots of one feature set for one vendor code, filled from the feature table.
class TFeatureSetDefinition {
 public:
  TFeatureSetDefinition(TFeatureSetKind kind, std::uint8_t featureVendorCode);
  const TCpuFeatureRow* Slot(std::uint32_t bit) const { return bit < 32 ? slots_[bit] : nullptr; }
  int Count() const;

 private:
  std::array<const TCpuFeatureRow*, 32> slots_{};
};

// A feature of one set on one processor. A feature without a table row is the unknown feature
// (TUnknownFeature): never available.
class TCpuFeature {
 public:
  TCpuFeature(const TCpuLibrary& library, std::uint8_t index, TFeatureSetKind kind,
              std::uint32_t bit, const TCpuFeatureRow* row)
      : library_(&library), index_(index), kind_(kind), bit_(bit), row_(row) {}
  bool IsKnown() const { return row_ != nullptr; }
  std::uint32_t Bit() const { return bit_; }
  TFeatureSetKind Kind() const { return kind_; }
  std::string Name() const { return row_ ? row_->Name : ""; }
  std::string Description() const { return row_ ? row_->Description : ""; }
  bool Available() const;

 private:
  const TCpuLibrary* library_;
  std::uint8_t index_;
  TFeatureSetKind kind_;
  std::uint32_t bit_;
  const TCpuFeatureRow* row_;
};

class TCpuFeatureSet {
 public:
  TCpuFeatureSet(const TCpuLibrary& library, std::uint8_t index, TFeatureSetKind kind);
  TFeatureSetKind Kind() const { return kind_; }
  // Whether the processor answers the set's leaf.
  bool Exists() const;
  int Count() const { return definition_.Count(); }
  TCpuFeature ByIndex(std::uint32_t bit) const;
  TCpuFeature ByName(std::string_view name) const;

 private:
  const TCpuLibrary* library_;
  std::uint8_t index_;
  TFeatureSetKind kind_;
  TCpuVendor vendor_;
  std::uint8_t vendorCode_;
  std::uint32_t family_;
  std::uint32_t model_;
  TFeatureSetDefinition definition_;
};

class TProcessorFeatures {
 public:
  TProcessorFeatures(const TCpuLibrary& library, std::uint8_t index)
      : library_(&library), index_(index) {}
  TCpuFeatureSet Standard() const { return Set(TFeatureSetKind::Standard); }
  TCpuFeatureSet StandardEcx() const { return Set(TFeatureSetKind::StandardEcx); }
  TCpuFeatureSet Extended() const { return Set(TFeatureSetKind::Extended); }
  TCpuFeatureSet PowerManagement() const { return Set(TFeatureSetKind::PowerManagement); }
  TCpuFeatureSet Set(TFeatureSetKind kind) const { return {*library_, index_, kind}; }
  // The set of the first table row with that name decides where the name is looked up.
  TCpuFeature FindFeature(std::string_view name) const;

 private:
  const TCpuLibrary* library_;
  std::uint8_t index_;
};

// --- Name, clock, caches ----------------------------------------------------------------------

class TProcessorName {
 public:
  TProcessorName(const TCpuLibrary& library, std::uint8_t index)
      : library_(&library), index_(index) {}
  std::string Text() const;

 private:
  const TCpuLibrary* library_;
  std::uint8_t index_;
};

// The name rules of each vendor; an empty result means the generic name is used.
struct TIntelProcessorLookup {
  static std::string Lookup(const TCpuLibrary& library, std::uint8_t index);
};
struct TAmdProcessorLookup {
  static std::string Lookup(const TCpuLibrary& library, std::uint8_t index);
};
struct TCyrixProcessorLookup {
  static std::string Lookup(const TCpuLibrary& library, std::uint8_t index);
};
struct TIdtProcessorLookup {
  static std::string Lookup(const TCpuLibrary& library, std::uint8_t index);
};
struct TNexGenProcessorLookup {
  static std::string Lookup(const TCpuLibrary& library, std::uint8_t index);
};
struct TUmcProcessorLookup {
  static std::string Lookup(const TCpuLibrary& library, std::uint8_t index);
};
struct TRiseProcessorLookup {
  static std::string Lookup(const TCpuLibrary& library, std::uint8_t index);
};

// Measures the clock on a worker thread at time-critical priority: time-stamp counter against
// the performance counter over at least 5 ms of tick count. Returns MHz, 0 when no time passed.
struct TCpuSpeedThread {
  static double Measure(ICpuClock& clock);
};

// Rounds a measured clock to the nearest usual step (…00, …17, …20, …33, …50, …).
std::uint32_t NormaliseSpeed(std::uint32_t rawSpeed);

class TProcessorSpeedInformation {
 public:
  explicit TProcessorSpeedInformation(const TCpuLibrary& library) : library_(&library) {}
  // Each access measures anew. Throws when the library has no clock (a dump file).
  std::uint32_t RawSpeed() const;
  std::uint32_t NormalisedSpeed() const { return NormaliseSpeed(RawSpeed()); }

 private:
  const TCpuLibrary* library_;
};

// Cache kinds of the descriptor table: 0 level-1 code, 1 level-1 data, 2 level-1 unified,
// 3 level 2, 4 level 3, 5 trace.
enum class TCacheKind : std::uint8_t { L1Code, L1Data, L1Unified, Level2, Level3, Trace };

// The descriptor bytes the processor reports (16 at most).
class TCpuCacheDescriptors {
 public:
  TCpuCacheDescriptors(const TCpuLibrary& library, std::uint8_t index, TCacheKind kind);
  bool Contains(std::uint8_t descriptor) const;
  int Count() const { return count_; }

 private:
  std::array<std::uint8_t, 16> bytes_{};
  int count_ = 0;
};

class TCacheByDescriptor {
 public:
  TCacheByDescriptor(const TCpuLibrary& library, std::uint8_t index, TCacheKind kind)
      : library_(&library), index_(index), kind_(kind) {}
  std::uint32_t Size() const;

 private:
  const TCpuLibrary* library_;
  std::uint8_t index_;
  TCacheKind kind_;
};

class TCacheByExtendedCpuid {
 public:
  TCacheByExtendedCpuid(const TCpuLibrary& library, std::uint8_t index, TCacheKind kind)
      : library_(&library), index_(index), kind_(kind) {}
  std::uint32_t Size() const;

 private:
  const TCpuLibrary* library_;
  std::uint8_t index_;
  TCacheKind kind_;
};

// Intel's deterministic cache leaf 4: one sub-leaf per cache, from sub-leaf 0 until a null type.
// Processors whose leaf 2 says 0xFF, or names no cache at all, list their caches only there.
class TCacheByDeterministicCpuid {
 public:
  TCacheByDeterministicCpuid(const TCpuLibrary& library, std::uint8_t index, TCacheKind kind)
      : library_(&library), index_(index), kind_(kind) {}
  // Whether the leaf lists any cache at all.
  bool Listed() const;
  // Bytes of the first cache listed for the kind; level 4 and the trace cache are never listed.
  std::uint32_t Size() const;

 private:
  const TCpuLibrary* library_;
  std::uint8_t index_;
  TCacheKind kind_;
};

// One cache level, read the way the vendor reports it.
class TCpuCache {
 public:
  TCpuCache(const TCpuLibrary& library, std::uint8_t index, TCacheKind kind)
      : library_(&library), index_(index), kind_(kind) {}
  TCacheKind Kind() const { return kind_; }
  // Bytes; 0 when the level is absent.
  std::uint32_t Size() const;
  bool Present() const { return Size() != 0; }

 private:
  const TCpuLibrary* library_;
  std::uint8_t index_;
  TCacheKind kind_;
};

class TCpuSegmentedCache {
 public:
  TCpuSegmentedCache(const TCpuLibrary& library, std::uint8_t index)
      : library_(&library), index_(index) {}
  TCpuCache Code() const { return {*library_, index_, TCacheKind::L1Code}; }
  TCpuCache Data() const { return {*library_, index_, TCacheKind::L1Data}; }
  TCpuCache Unified() const { return {*library_, index_, TCacheKind::L1Unified}; }

 private:
  const TCpuLibrary* library_;
  std::uint8_t index_;
};

class TProcessorCache {
 public:
  TProcessorCache(const TCpuLibrary& library, std::uint8_t index)
      : library_(&library), index_(index) {}
  TCpuSegmentedCache Level1() const { return {*library_, index_}; }
  TCpuCache Level2() const { return {*library_, index_, TCacheKind::Level2}; }
  TCpuCache Level3() const { return {*library_, index_, TCacheKind::Level3}; }
  TCpuCache Trace() const { return {*library_, index_, TCacheKind::Trace}; }

 private:
  const TCpuLibrary* library_;
  std::uint8_t index_;
};

// The separators of the user's number format.
struct NumberSeparators {
  std::string Decimal = ".";
  std::string Thousand = ",";
};

// "%d bytes", or one decimal followed by " Kb", " Mb" or " Gb".
std::string SizeText(std::uint32_t bytes, const NumberSeparators& separators = {});

// --- Count and library ------------------------------------------------------------------------

class TProcessorCount {
 public:
  explicit TProcessorCount(const TCpuLibrary& library) : library_(&library) {}
  std::uint32_t Value() const;

 private:
  const TCpuLibrary* library_;
};

class TProcessorInformation {
 public:
  TProcessorInformation(const TCpuLibrary& library, std::uint8_t index)
      : library_(&library), index_(index) {}
  std::uint8_t Index() const { return index_; }
  TProcessorCache Cache() const { return {*library_, index_}; }
  TProcessorCpuid Cpuid() const { return {*library_, index_}; }
  TProcessorFeatures Features() const { return {*library_, index_}; }
  TProcessorName Name() const { return {*library_, index_}; }
  TProcessorSignature Signature() const { return {*library_, index_}; }
  // The clock is measured on whatever processor runs the worker thread.
  TProcessorSpeedInformation Speed() const { return TProcessorSpeedInformation(*library_); }
  TProcessorVendor Vendor() const { return {*library_, index_}; }

 private:
  const TCpuLibrary* library_;
  std::uint8_t index_;
};

class TCpuLibrary {
 public:
  // `clock` may be null (a dump file has no clock).
  TCpuLibrary(std::shared_ptr<ICpuidSource> source, std::shared_ptr<ICpuSystem> system,
              std::shared_ptr<ICpuClock> clock);
  TProcessorInformation Processors(std::uint8_t index) const { return {*this, index}; }
  TProcessorCount ProcessorCount() const { return TProcessorCount(*this); }
  bool IsMultiProcessor() const { return isMultiProcessor_; }

  ICpuidSource& Source() const { return *source_; }
  ICpuSystem& System() const { return *system_; }
  ICpuClock* Clock() const { return clock_.get(); }

 private:
  std::shared_ptr<ICpuidSource> source_;
  std::shared_ptr<ICpuSystem> system_;
  std::shared_ptr<ICpuClock> clock_;
  bool isMultiProcessor_ = false;
};

// The program's one library, created before the main window. Throws when none was installed.
TCpuLibrary& CpuLibrary();
void InstallCpuLibrary(std::unique_ptr<TCpuLibrary> library);

}  // namespace kvn
