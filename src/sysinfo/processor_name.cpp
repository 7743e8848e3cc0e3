// The processor's name: its brand string when it has one, otherwise the rules of its vendor, and
// finally a generic "x86 Family … Model … Stepping …" text.
#include "sysinfo/cpu_library.h"

namespace kvn {

namespace {

bool IsBlankOrControl(char c) {
  return static_cast<unsigned char>(c) <= ' ';
}

std::string Trim(const std::string& text) {
  std::size_t begin = 0;
  while (begin < text.size() && IsBlankOrControl(text[begin])) ++begin;
  std::size_t end = text.size();
  while (end > begin && IsBlankOrControl(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

// Consecutive leaves of EAX, EBX, ECX, EDX text, trimmed. A NUL left inside ends the text there,
// as it would end it on a label.
std::string BrandString(const ProcessorCpuid& cpuid, std::uint32_t firstLeaf,
                        std::uint32_t lastLeaf) {
  std::string text;
  for (std::uint32_t leaf = firstLeaf; leaf <= lastLeaf; ++leaf) {
    CpuidRegisters r = cpuid.Execute(leaf).Registers();
    text += RegisterText(r.eax) + RegisterText(r.ebx) + RegisterText(r.ecx) + RegisterText(r.edx);
  }
  text = Trim(text);
  return Trim(text.substr(0, text.find('\0')));
}

}  // namespace

std::string IntelProcessorLookup::Lookup(const CpuLibrary& library, std::uint8_t index) {
  ProcessorSignature sig(library, index);
  const std::uint32_t raw = sig.Value();
  switch (sig.BrandIndex()) {
    case 1:
    case 10:
      return "Intel Celeron";
    case 2:
    case 4:
      return "Intel Pentium III";
    case 3:
      return raw == 0x6B1 ? "Intel Celeron" : "Intel Pentium III Xeon";
    case 6:
      return "Intel Mobile Pentium III";
    case 7:
    case 15:
      return "Intel Mobile Celeron";
    case 8:
    case 9:
      return raw < 0xF13 ? "Intel Pentium 4" : "Intel Geniune Processor";
    case 11:
      return raw < 0xF13 ? "Intel Xeon MP" : "Intel Xeon";
    case 12:
      return "Intel Xeon MP";
    case 14:
      return raw < 0xF13 ? "Intel Xeon" : "Intel Mobile Pentium 4";
    default:
      break;
  }
  const std::uint32_t f = sig.Family(), m = sig.Model();
  if (f == 4) {
    if (m == 4) return "Intel 80486SX";
    if (m == 7) return "Intel 80486DX2";
    if (m == 8) return "Intel 80486DX4";
  } else if (f == 5) {
    if (m == 0 || m == 1 || m == 2 || m == 7) return "Intel Pentium";
    if (m == 3) return "Intel Pentium Overdrive";
    if (m == 4) return "Intel Pentium MMX";
  } else if (f == 6) {
    if (m == 0 || m == 1) return "Intel Pentium Pro";
    if (m == 3) return sig.ProcessorType() == 1 ? "Intel Pentium II Overdrive" : "Intel Pentium II";
    if (m == 5 || m == 6 || m == 7) {
      const std::uint32_t l2 = ProcessorCache(library, index).Level2().Size() / 1024;
      if (m == 5) {
        if (l2 <= 128) return "Intel Celeron";
        if (l2 >= 1024) return "Intel Pentium II Xeon";
        return "Intel Pentium II";
      }
      if (m == 6) {
        if (l2 > 128) return "Intel Mobile Pentium II";
        if (ProcessorFeatures(library, index).Standard().ByIndex(18).Available())
          return "Intel Mobile Celeron";
        return "Intel Celeron";
      }
      return l2 >= 1024 ? "Intel Pentium III Xeon" : "Intel Pentium III";
    }
  }
  return {};
}

std::string AmdProcessorLookup::Lookup(const CpuLibrary& library, std::uint8_t index) {
  ProcessorSignature sig(library, index);
  const std::uint32_t f = sig.Family(), m = sig.Model();
  if (f == 4) {
    if (m == 3 || m == 7 || m == 8 || m == 9) return "AMD AM486DX2";
    if (m == 14 || m == 15) return "AMD AM5x86";
  } else if (f == 5) {
    if (m <= 3) return "AMD K5";
    if (m == 6 || m == 7) return "AMD K6";
    if (m == 8) return "AMD K6 2";
    if (m == 9 || m == 13) return "AMD K6 III";
  }
  return {};
}

std::string CyrixProcessorLookup::Lookup(const CpuLibrary& library, std::uint8_t index) {
  ProcessorSignature sig(library, index);
  const std::uint32_t f = sig.Family(), m = sig.Model();
  if (f == 4) {
    if (m == 4) return "Cyrix Media GX";
    if (m == 9) return "Cyrix Cx5x86";
  } else if (f == 5) {
    if (m == 2) return "Cyrix 6x86";
    if (m == 4) return "Cyrix GXm";
  } else if (f == 6) {
    if (m == 0) return "Cyrix 6x86MX";
    if (m == 5) return "Cyrix M2";
    if (m >= 6 && m <= 8) return "Via Cyrix III";
  }
  return {};
}

std::string IdtProcessorLookup::Lookup(const CpuLibrary& library, std::uint8_t index) {
  ProcessorSignature sig(library, index);
  if (sig.Family() == 5) {
    if (sig.Model() == 4) return "IDT WinChip";
    if (sig.Model() == 8) return "IDT WinChip 2";
    if (sig.Model() == 9) return "IDT WinChip 3";
  }
  return {};
}

std::string NexGenProcessorLookup::Lookup(const CpuLibrary& library, std::uint8_t index) {
  ProcessorSignature sig(library, index);
  return sig.Family() == 5 && sig.Model() == 0 ? "NexGen Nx586" : "";
}

std::string UmcProcessorLookup::Lookup(const CpuLibrary& library, std::uint8_t index) {
  ProcessorSignature sig(library, index);
  return sig.Family() == 4 && (sig.Model() == 1 || sig.Model() == 2) ? "UMC U5D" : "";
}

std::string RiseProcessorLookup::Lookup(const CpuLibrary& library, std::uint8_t index) {
  ProcessorSignature sig(library, index);
  if (sig.Family() == 5) {
    if (sig.Model() == 0) return "Rise iDragon";
    if (sig.Model() == 2) return "Rise iDragon II";
  }
  return {};
}

std::string ProcessorName::Text() const {
  ProcessorVendor vendor(*library_, index_);
  ProcessorCpuid cpuid(*library_, index_);
  if (vendor.CpuVendor() == CpuVendorId::cvTransmeta) {
    if (cpuid.HighestTransmetaLeaf() >= 0x80860006u)
      return BrandString(cpuid, 0x80860003u, 0x80860006u);
  } else if (cpuid.HighestExtendedLeaf() >= 0x80000004u) {
    return BrandString(cpuid, 0x80000002u, 0x80000004u);
  }

  std::string name;
  switch (vendor.CpuVendor()) {
    case CpuVendorId::cvIntel:
      name = IntelProcessorLookup::Lookup(*library_, index_);
      break;
    case CpuVendorId::cvAmd:
      name = AmdProcessorLookup::Lookup(*library_, index_);
      break;
    case CpuVendorId::cvCyrix:
      name = CyrixProcessorLookup::Lookup(*library_, index_);
      break;
    case CpuVendorId::cvVia:
      name = IdtProcessorLookup::Lookup(*library_, index_);
      break;
    case CpuVendorId::cvNexGen:
      name = NexGenProcessorLookup::Lookup(*library_, index_);
      break;
    case CpuVendorId::cvUmc:
      name = UmcProcessorLookup::Lookup(*library_, index_);
      break;
    case CpuVendorId::cvRise:
      name = RiseProcessorLookup::Lookup(*library_, index_);
      break;
    default:  // Transmeta and unknown vendors: always the generic name
      break;
  }
  if (!name.empty()) return name;
  return vendor.ShortName() + ProcessorSignature(*library_, index_).Text();
}

}  // namespace kvn
