#include "sysinfo/processor_page.h"

#include <exception>

namespace kvn {

using enum FeatureSetKind;

// "SIMD", "MMX+" and "IA-64" are looked up where the feature table really holds them (the SSE
// bit, the extended set's MMX+ row, the standard set's IA-64 row), so the three lines show what
// the processor has instead of never being ticked.
const std::vector<ProcessorFeatureLookup> ProcessorPageFeatures = {
    {"FPU", "FPU", Standard, "Floating Point Processor"},
    {"VME", "VME", Standard, "Virtual Mode Extension"},
    {"DE", "DE", Standard, "Debugging Extension"},
    {"PSE", "PSE", Standard, "Page Size Extension"},
    {"TSC", "TSC", Standard, "Time Stamp Counter"},
    {"MSR", "MSR", Standard, "Model Specific Registers"},
    {"PAE", "PAE", Standard, "Physical Address Extension"},
    {"MCE", "MCE", Standard, "Machine Check Exception"},
    {"CX8", "CX8", Standard, "CMPXCHG8 Instruction"},
    {"APIC", "APIC", Standard, "On-chip APIC Hardware"},
    {"SEP", "SEP", Standard, "Fast System Call"},
    {"MTRR", "MTRR", Standard, "Memory Type Range Registers"},
    {"PGE", "PGE", Standard, "Page Global Enable"},
    {"MCA", "MCA", Standard, "Machine Check Architecture"},
    {"CMOV", "CMOV", Standard, "Conditional Move Instruction"},
    {"PAT", "PAT", Standard, "Page Attribute Table"},
    {"PSE36", "PSE36", Standard, "36-bit Page Size Extension"},
    {"SERIAL", "PSN", Standard, "Processor Serial Number"},
    {"CLFLUSH", "CLFSH", Standard, "CLFLUSH Instruction"},
    {"ACPI", "ACPI", Standard, "Thermal monitor and software controlled clock"},
    {"SSE", "SSE", Standard, "Streaming SIMD instruction support"},
    {"SSE2", "SSE2", Standard, "Streaming SIMD extensions 2"},
    {"MMX", "MMX", Standard, "MMX architecture support"},
    {"HTT", "HTT", Standard, "Hyper-Threading technology"},
    {"FXSR", "FXSR", Standard, "Floating Point Save and Restore"},
    {"SS", "SS", Standard, "Self-Snoop"},
    {"TM", "TM", Standard, "Thermal Monitor Supported"},
    {"3DNOW", "3DNOW", Extended, "3DNow! Extensions"},
    {"3DNOW+", "3DNOW+", Extended, "Enhanced 3DNow! Extensions"},
    {"MMX+", "MMX+", Extended, "Extended MMX architecture"},
    {"IA-64", "IA-64", Standard, "IA-64 architecture"},
};

namespace {

std::string Supported(const char* what, bool yes) {
  return std::string(what) + (yes ? " Instructions supportées" : " Instructions non supportées");
}

std::string Kb(std::uint32_t bytes) {
  return std::to_string(bytes >> 10) + " Kb";
}

void Fill(const CpuLibrary& library, const NumberSeparators& separators, bool withSpeed,
          ProcessorPageModel& page) {
  ProcessorInformation cpu = library.Processors(0);
  // 1. The count is not shown; the first measurement only warms the clock up.
  (void)library.ProcessorCount().Value();
  if (withSpeed) (void)cpu.Speed().NormalisedSpeed();

  // 2. to 5.
  std::string name = cpu.Name().Text();
  if (withSpeed) name += " ( " + std::to_string(cpu.Speed().NormalisedSpeed()) + " Mhz )";
  page.processorNameLabel = name;
  page.mmxLabel = Supported("MMX", cpu.Features().Standard().ByName("MMX").Available());
  page.simdLabel = Supported("SIMD", cpu.Features().Standard().ByName("SSE").Available());
  page.threeDNowLabel = Supported("3DNow!", cpu.Features().Extended().ByName("3DNOW").Available());

  // 6. Level 1 unified, code, data, in that order.
  ProcessorCache cache = cpu.Cache();
  page.L1UnifiedBytes = cache.Level1().Unified().Size();
  page.L1CodeBytes = cache.Level1().Code().Size();
  page.L1DataBytes = cache.Level1().Data().Size();
  page.l1CodeLabel = Kb(page.L1CodeBytes);
  page.l1DataLabel = Kb(page.L1DataBytes);
  page.l1UnifiedLabel = Kb(page.L1UnifiedBytes);

  // 7. and 8.
  page.L2Bytes = cache.Level2().Size();
  page.SecondLevelCacheKB = page.L2Bytes >> 10;
  page.l2Label = SizeText(page.L2Bytes, separators);
  page.L3Bytes = cache.Level3().Size();
  page.l3Label = SizeText(page.L3Bytes, separators);

  // 9. The feature rows.
  ProcessorFeatures features = cpu.Features();
  for (const ProcessorFeatureLookup& row : ProcessorPageFeatures) {
    const bool available = features.Set(row.Set).ByName(row.LookedUpAs).Available();
    page.featureList.push_back({row.Shown, row.Description, available});
  }
}

}  // namespace

ProcessorPageModel GetCpuInfoCurrent(const CpuLibrary& library, const NumberSeparators& separators,
                                     bool withSpeed) {
  ProcessorPageModel page;
  try {
    Fill(library, separators, withSpeed, page);
    page.Complete = true;
  } catch (const std::exception& e) {
    page.FailureMessage = e.what();  // the page keeps what was filled
  } catch (...) {
    page.FailureMessage = "unknown error";
  }
  return page;
}

const char* ProcessorLogoName(ProcessorLogo logo) {
  switch (logo) {
    case ProcessorLogo::LogoIntel:
      return "LogoIntel";
    case ProcessorLogo::LogoAMD:
      return "LogoAMD";
    case ProcessorLogo::LogoCyrix:
      return "LogoCyrix";
    case ProcessorLogo::logoP4HT:
      return "logoP4HT";
    default:
      return "none";
  }
}

ProcessorLogo SelectProcessorLogo(const CpuLibrary& library) {
  ProcessorInformation cpu = library.Processors(0);
  ProcessorVendor vendor = cpu.Vendor();
  if (vendor.CompanyName() == "Advanced Micro Devices") return ProcessorLogo::LogoAMD;
  if (vendor.VendorString() == "CyrixInstead") return ProcessorLogo::LogoCyrix;
  if (cpu.Features().FindFeature("HTT").Available()) return ProcessorLogo::logoP4HT;
  if (vendor.CompanyName() == "Intel Corporation") return ProcessorLogo::LogoIntel;
  return ProcessorLogo::None;
}

}  // namespace kvn
