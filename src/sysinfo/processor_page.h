#pragma once
// What the "Processeur" page shows about the first processor, worked out once at start-up.
// A text left empty (std::nullopt) keeps the label's design-time caption: the fill stops at the
// first failure and keeps what it had filled.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sysinfo/cpu_library.h"

namespace kvn {

struct ProcessorFeatureRow {
  std::string Abbreviation;
  std::string Description;
  bool Supported = false;  // ticked box (image 2) or empty box (image 3)
};

struct ProcessorPageModel {
  std::optional<std::string> processorNameLabel;
  std::optional<std::string> mmxLabel;
  std::optional<std::string> simdLabel;
  std::optional<std::string> threeDNowLabel;
  std::optional<std::string> l1CodeLabel;
  std::optional<std::string> l1DataLabel;
  std::optional<std::string> l1UnifiedLabel;
  std::optional<std::string> l2Label;
  std::optional<std::string> l3Label;
  std::vector<ProcessorFeatureRow> featureList;  // AddFeature2's rows, in order
  std::uint32_t SecondLevelCacheKB = 0;
  // The byte sizes behind the cache labels, for the report tool.
  std::uint32_t L1CodeBytes = 0, L1DataBytes = 0, L1UnifiedBytes = 0, L2Bytes = 0, L3Bytes = 0;
  bool Complete = false;       // false: a failure stopped the fill
  std::string FailureMessage;  // what stopped it, for the log
};

// Fills the page model from processor 0. `withSpeed` false skips the two clock measurements
// (a dump file has no clock) and leaves the speed out of the name.
ProcessorPageModel GetCpuInfoCurrent(const CpuLibrary& library, const NumberSeparators& separators,
                                     bool withSpeed = true);

// The row texts of the feature list, in the page's order.
struct ProcessorFeatureLookup {
  const char* Shown;
  const char* LookedUpAs;
  FeatureSetKind Set;
  const char* Description;
};
extern const std::vector<ProcessorFeatureLookup> ProcessorPageFeatures;

enum class ProcessorLogo { None, LogoIntel, LogoAMD, LogoCyrix, logoP4HT };
const char* ProcessorLogoName(ProcessorLogo logo);  // "LogoIntel" … or "none"

ProcessorLogo SelectProcessorLogo(const CpuLibrary& library);

}  // namespace kvn
