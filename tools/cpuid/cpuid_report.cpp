#include "cpuid/cpuid_report.h"

#include <exception>

#include "sysinfo/processor_page.h"

namespace kvn {

namespace {

// One fact a line: a control byte of a damaged dump must not start a line of its own.
std::string OneLine(std::string text) {
  for (char& c : text)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  return text;
}

}  // namespace

std::string CpuidReport(const CpuLibrary& library, bool withSpeed) {
  ProcessorInformation cpu = library.Processors(0);
  ProcessorVendor vendor = cpu.Vendor();
  ProcessorSignature sig = cpu.Signature();
  // The name line carries the bare name; the clock has a line of its own.
  ProcessorPageModel page = GetCpuInfoCurrent(library, NumberSeparators{}, false);

  std::string out;
  auto line = [&out](const std::string& key, const std::string& value) {
    out += key + ": " + value + "\n";
  };
  line("vendor", OneLine(vendor.VendorString()));
  line("company", vendor.CompanyName());
  line("signature", std::to_string(sig.Family()) + " " + std::to_string(sig.Model()) + " " +
                        std::to_string(sig.Stepping()) + " " + std::to_string(sig.ProcessorType()) +
                        " " + std::to_string(sig.BrandIndex()));
  line("name", OneLine(page.processorNameLabel.value_or("")));
  line("mmx", page.mmxLabel.value_or(""));
  line("simd", page.simdLabel.value_or(""));
  line("3dnow", page.threeDNowLabel.value_or(""));
  line("l1code", std::to_string(page.L1CodeBytes));
  line("l1data", std::to_string(page.L1DataBytes));
  line("l1unified", std::to_string(page.L1UnifiedBytes));
  line("l2", std::to_string(page.L2Bytes));
  line("l3", std::to_string(page.L3Bytes));
  line("l2kb", std::to_string(page.SecondLevelCacheKB));
  line("logo", ProcessorLogoName(SelectProcessorLogo(library)));
  for (const ProcessorFeatureRow& row : page.featureList)
    line("feature " + row.Abbreviation, row.Supported ? "1" : "0");
  if (withSpeed) {
    const std::uint32_t raw = cpu.Speed().RawSpeed();
    line("speed", std::to_string(raw) + " " + std::to_string(NormaliseSpeed(raw)));
  }
  return out;
}

}  // namespace kvn
