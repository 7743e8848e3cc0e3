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

class CpuLibrary;

// --- Tables ----------------------------------------------------------------------------------

// The CpuVendor value is the row number of the vendor table.
enum class CpuVendorId : std::uint8_t {
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

struct CpuVendorInfo {
  const char* Signature;
  const char* ShortName;  // ends in one blank: it prefixes the generic name
  const char* CompanyName;
  std::uint8_t FeatureVendorCode;
  std::uint8_t CacheMethodCode;
};
extern const std::array<CpuVendorInfo, 9> CpuVendorTable;

// Feature set kinds: 1 leaf 1 EDX, 2 leaf 1 ECX, 3 leaf 0x80000001 EDX, 4 leaf 0x80000007 EDX.
enum class FeatureSetKind : std::uint8_t { Standard = 1, StandardEcx, Extended, PowerManagement };

struct CpuFeatureRow {
  std::uint8_t Bit;
  const char* Name;
  std::uint8_t Sets;        // bit (kind - 1) set for each kind that holds the row
  std::uint8_t VendorCode;  // 0: any vendor
  const char* Description;
};
extern const std::array<CpuFeatureRow, 48> CpuFeatureTable;

// --- CPUID readings ---------------------------------------------------------------------------

// Pins the whole process to one processor for its lifetime, on a multiprocessor machine.
class CpuAffinity {
 public:
  CpuAffinity(const CpuLibrary& library, std::uint8_t index);
  ~CpuAffinity();
  CpuAffinity(const CpuAffinity&) = delete;
  CpuAffinity& operator=(const CpuAffinity&) = delete;

 private:
  ICpuSystem* system_ = nullptr;  // null when nothing was pinned
  std::uint32_t previousMask_ = 0;
};

// Whether a leaf lies within the range maximum the processor reports (pinned for the check).
bool IsLeafSupported(const CpuLibrary& library, std::uint8_t index, std::uint32_t leaf);

// One CPUID reading on one processor: the registers of the last of `repeat` executions, or four
// zero registers when the leaf is not supported.
class Cpuid {
 public:
  Cpuid(const CpuLibrary& library, std::uint8_t index, std::uint32_t repeat, std::uint32_t leaf,
        std::uint32_t subLeaf = 0);
  const CpuidRegisters& Registers() const { return registers_; }
  bool Supported() const { return supported_; }

 private:
  CpuidRegisters registers_;
  bool supported_ = false;
};

// The processor's CPUID as a whole: single readings and the maximum leaf of each range.
class ProcessorCpuid {
 public:
  ProcessorCpuid(const CpuLibrary& library, std::uint8_t index)
      : library_(&library), index_(index) {}
  Cpuid Execute(std::uint32_t leaf, std::uint32_t repeat = 1) const;
  // One reading of a leaf that has sub-leaves (ECX).
  Cpuid SubLeaf(std::uint32_t leaf, std::uint32_t subLeaf) const;
  std::uint32_t HighestExtendedLeaf() const;
  std::uint32_t HighestTransmetaLeaf() const;

 private:
  const CpuLibrary* library_;
  std::uint8_t index_;
};

// Four register bytes in memory order, lowest first.
std::string RegisterText(std::uint32_t value);

// --- Vendor and signature ---------------------------------------------------------------------

class ProcessorVendor {
 public:
  ProcessorVendor(const CpuLibrary& library, std::uint8_t index);
  const std::string& VendorString() const { return vendorString_; }
  CpuVendorId CpuVendor() const { return cpuVendor_; }
  const CpuVendorInfo& Info() const;
  std::string CompanyName() const { return Info().CompanyName; }
  std::string ShortName() const { return Info().ShortName; }
  std::uint8_t FeatureVendorCode() const { return Info().FeatureVendorCode; }
  std::uint8_t CacheMethodCode() const { return Info().CacheMethodCode; }

 private:
  std::string vendorString_;
  CpuVendorId cpuVendor_ = CpuVendorId::cvUnknown;
};

class ProcessorSignature {
 public:
  ProcessorSignature(const CpuLibrary& library, std::uint8_t index);
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
class FeatureSetDefinition {
 public:
  FeatureSetDefinition(FeatureSetKind kind, std::uint8_t featureVendorCode);
  const CpuFeatureRow* Slot(std::uint32_t bit) const { return bit < 32 ? slots_[bit] : nullptr; }
  int Count() const;

 private:
  std::array<const CpuFeatureRow*, 32> slots_{};
};

// A feature of one set on one processor. A feature without a table row is the unknown feature
// (UnknownFeature): never available.
class CpuFeature {
 public:
  CpuFeature(const CpuLibrary& library, std::uint8_t index, FeatureSetKind kind, std::uint32_t bit,
             const CpuFeatureRow* row)
      : library_(&library), index_(index), kind_(kind), bit_(bit), row_(row) {}
  bool IsKnown() const { return row_ != nullptr; }
  std::uint32_t Bit() const { return bit_; }
  FeatureSetKind Kind() const { return kind_; }
  std::string Name() const { return row_ ? row_->Name : ""; }
  std::string Description() const { return row_ ? row_->Description : ""; }
  bool Available() const;

 private:
  const CpuLibrary* library_;
  std::uint8_t index_;
  FeatureSetKind kind_;
  std::uint32_t bit_;
  const CpuFeatureRow* row_;
};

class CpuFeatureSet {
 public:
  CpuFeatureSet(const CpuLibrary& library, std::uint8_t index, FeatureSetKind kind);
  FeatureSetKind Kind() const { return kind_; }
  // Whether the processor answers the set's leaf.
  bool Exists() const;
  int Count() const { return definition_.Count(); }
  CpuFeature ByIndex(std::uint32_t bit) const;
  CpuFeature ByName(std::string_view name) const;

 private:
  const CpuLibrary* library_;
  std::uint8_t index_;
  FeatureSetKind kind_;
  CpuVendorId vendor_;
  std::uint8_t vendorCode_;
  std::uint32_t family_;
  std::uint32_t model_;
  FeatureSetDefinition definition_;
};

class ProcessorFeatures {
 public:
  ProcessorFeatures(const CpuLibrary& library, std::uint8_t index)
      : library_(&library), index_(index) {}
  CpuFeatureSet Standard() const { return Set(FeatureSetKind::Standard); }
  CpuFeatureSet StandardEcx() const { return Set(FeatureSetKind::StandardEcx); }
  CpuFeatureSet Extended() const { return Set(FeatureSetKind::Extended); }
  CpuFeatureSet PowerManagement() const { return Set(FeatureSetKind::PowerManagement); }
  CpuFeatureSet Set(FeatureSetKind kind) const { return {*library_, index_, kind}; }
  // The set of the first table row with that name decides where the name is looked up.
  CpuFeature FindFeature(std::string_view name) const;

 private:
  const CpuLibrary* library_;
  std::uint8_t index_;
};

// --- Name, clock, caches ----------------------------------------------------------------------

class ProcessorName {
 public:
  ProcessorName(const CpuLibrary& library, std::uint8_t index)
      : library_(&library), index_(index) {}
  std::string Text() const;

 private:
  const CpuLibrary* library_;
  std::uint8_t index_;
};

// The name rules of each vendor; an empty result means the generic name is used.
struct IntelProcessorLookup {
  static std::string Lookup(const CpuLibrary& library, std::uint8_t index);
};
struct AmdProcessorLookup {
  static std::string Lookup(const CpuLibrary& library, std::uint8_t index);
};
struct CyrixProcessorLookup {
  static std::string Lookup(const CpuLibrary& library, std::uint8_t index);
};
struct IdtProcessorLookup {
  static std::string Lookup(const CpuLibrary& library, std::uint8_t index);
};
struct NexGenProcessorLookup {
  static std::string Lookup(const CpuLibrary& library, std::uint8_t index);
};
struct UmcProcessorLookup {
  static std::string Lookup(const CpuLibrary& library, std::uint8_t index);
};
struct RiseProcessorLookup {
  static std::string Lookup(const CpuLibrary& library, std::uint8_t index);
};

// Measures the clock on a worker thread at time-critical priority: time-stamp counter against
// the performance counter over at least 5 ms of tick count. Returns MHz, 0 when no time passed.
struct CpuSpeedThread {
  static double Measure(ICpuClock& clock);
};

// Rounds a measured clock to the nearest usual step (…00, …17, …20, …33, …50, …).
std::uint32_t NormaliseSpeed(std::uint32_t rawSpeed);

class ProcessorSpeedInformation {
 public:
  explicit ProcessorSpeedInformation(const CpuLibrary& library) : library_(&library) {}
  // Each access measures anew. Throws when the library has no clock (a dump file).
  std::uint32_t RawSpeed() const;
  std::uint32_t NormalisedSpeed() const { return NormaliseSpeed(RawSpeed()); }

 private:
  const CpuLibrary* library_;
};

// Cache kinds of the descriptor table: 0 level-1 code, 1 level-1 data, 2 level-1 unified,
// 3 level 2, 4 level 3, 5 trace.
enum class CacheKind : std::uint8_t { L1Code, L1Data, L1Unified, Level2, Level3, Trace };

// The descriptor bytes the processor reports (16 at most).
class CpuCacheDescriptors {
 public:
  CpuCacheDescriptors(const CpuLibrary& library, std::uint8_t index, CacheKind kind);
  bool Contains(std::uint8_t descriptor) const;
  int Count() const { return count_; }

 private:
  std::array<std::uint8_t, 16> bytes_{};
  int count_ = 0;
};

class CacheByDescriptor {
 public:
  CacheByDescriptor(const CpuLibrary& library, std::uint8_t index, CacheKind kind)
      : library_(&library), index_(index), kind_(kind) {}
  std::uint32_t Size() const;

 private:
  const CpuLibrary* library_;
  std::uint8_t index_;
  CacheKind kind_;
};

class CacheByExtendedCpuid {
 public:
  CacheByExtendedCpuid(const CpuLibrary& library, std::uint8_t index, CacheKind kind)
      : library_(&library), index_(index), kind_(kind) {}
  std::uint32_t Size() const;

 private:
  const CpuLibrary* library_;
  std::uint8_t index_;
  CacheKind kind_;
};

// Intel's deterministic cache leaf 4: one sub-leaf per cache, from sub-leaf 0 until a null type.
// Processors whose leaf 2 says 0xFF, or names no cache at all, list their caches only there.
class CacheByDeterministicCpuid {
 public:
  CacheByDeterministicCpuid(const CpuLibrary& library, std::uint8_t index, CacheKind kind)
      : library_(&library), index_(index), kind_(kind) {}
  // Whether the leaf lists any cache at all.
  bool Listed() const;
  // Bytes of the first cache listed for the kind; level 4 and the trace cache are never listed.
  std::uint32_t Size() const;

 private:
  const CpuLibrary* library_;
  std::uint8_t index_;
  CacheKind kind_;
};

// One cache level, read the way the vendor reports it.
class CpuCache {
 public:
  CpuCache(const CpuLibrary& library, std::uint8_t index, CacheKind kind)
      : library_(&library), index_(index), kind_(kind) {}
  CacheKind Kind() const { return kind_; }
  // Bytes; 0 when the level is absent.
  std::uint32_t Size() const;
  bool Present() const { return Size() != 0; }

 private:
  const CpuLibrary* library_;
  std::uint8_t index_;
  CacheKind kind_;
};

class CpuSegmentedCache {
 public:
  CpuSegmentedCache(const CpuLibrary& library, std::uint8_t index)
      : library_(&library), index_(index) {}
  CpuCache Code() const { return {*library_, index_, CacheKind::L1Code}; }
  CpuCache Data() const { return {*library_, index_, CacheKind::L1Data}; }
  CpuCache Unified() const { return {*library_, index_, CacheKind::L1Unified}; }

 private:
  const CpuLibrary* library_;
  std::uint8_t index_;
};

class ProcessorCache {
 public:
  ProcessorCache(const CpuLibrary& library, std::uint8_t index)
      : library_(&library), index_(index) {}
  CpuSegmentedCache Level1() const { return {*library_, index_}; }
  CpuCache Level2() const { return {*library_, index_, CacheKind::Level2}; }
  CpuCache Level3() const { return {*library_, index_, CacheKind::Level3}; }
  CpuCache Trace() const { return {*library_, index_, CacheKind::Trace}; }

 private:
  const CpuLibrary* library_;
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

class ProcessorCountInfo {
 public:
  explicit ProcessorCountInfo(const CpuLibrary& library) : library_(&library) {}
  std::uint32_t Value() const;

 private:
  const CpuLibrary* library_;
};

class ProcessorInformation {
 public:
  ProcessorInformation(const CpuLibrary& library, std::uint8_t index)
      : library_(&library), index_(index) {}
  std::uint8_t Index() const { return index_; }
  ProcessorCache Cache() const { return {*library_, index_}; }
  ProcessorCpuid Cpuid() const { return {*library_, index_}; }
  ProcessorFeatures Features() const { return {*library_, index_}; }
  ProcessorName Name() const { return {*library_, index_}; }
  ProcessorSignature Signature() const { return {*library_, index_}; }
  // The clock is measured on whatever processor runs the worker thread.
  ProcessorSpeedInformation Speed() const { return ProcessorSpeedInformation(*library_); }
  ProcessorVendor Vendor() const { return {*library_, index_}; }

 private:
  const CpuLibrary* library_;
  std::uint8_t index_;
};

class CpuLibrary {
 public:
  // `clock` may be null (a dump file has no clock).
  CpuLibrary(std::shared_ptr<ICpuidSource> source, std::shared_ptr<ICpuSystem> system,
             std::shared_ptr<ICpuClock> clock);
  ProcessorInformation Processors(std::uint8_t index) const { return {*this, index}; }
  ProcessorCountInfo ProcessorCount() const { return ProcessorCountInfo(*this); }
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
CpuLibrary& InstalledCpuLibrary();
void InstallCpuLibrary(std::unique_ptr<CpuLibrary> library);

}  // namespace kvn
