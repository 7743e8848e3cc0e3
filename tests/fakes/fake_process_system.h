#pragma once
// A process table in memory: what toolhelp lists, which identifiers Windows lets the program
// open, and a record of what was ended.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "processes/process_list.h"

namespace kvn::fakes {

class FakeProcessSystem : public ProcessSystem {
 public:
  std::vector<ProcessEntry> processes;
  std::vector<ThreadEntry> threads;
  std::vector<ModuleEntry> modules;
  std::map<std::uint32_t, std::uint32_t> openErrors;       // identifier -> error on opening
  std::map<std::uint32_t, std::uint32_t> terminateErrors;  // identifier -> error on ending
  std::vector<std::uint32_t> exited;  // still openable (a handle keeps them) but ended
  std::vector<std::uint32_t> ended;   // what Terminate ended, in order
  int snapshots = 0;
  // Runs after each process listing: another program starts or ends between two snapshots.
  std::function<void()> afterListing;

  std::vector<ProcessEntry> Processes() override {
    ++snapshots;
    std::vector<ProcessEntry> copy = processes;
    if (afterListing) afterListing();
    return copy;
  }
  std::vector<ThreadEntry> Threads() override { return threads; }
  std::vector<ModuleEntry> Modules() override { return modules; }
  std::unique_ptr<OpenedProcess> Open(std::uint32_t id, std::uint32_t& error) override {
    if (auto e = openErrors.find(id); e != openErrors.end()) {
      error = e->second;
      return nullptr;
    }
    bool listed = false;
    for (const ProcessEntry& p : processes) listed |= p.processId == id;
    if (!listed) {
      error = 87;  // ERROR_INVALID_PARAMETER: no such process
      return nullptr;
    }
    return std::make_unique<Opened>(*this, id);
  }
  std::string ErrorText(std::uint32_t error) override {
    return "system text " + std::to_string(error);
  }

 private:
  class Opened : public OpenedProcess {
   public:
    Opened(FakeProcessSystem& system, std::uint32_t id) : system_(system), id_(id) {}
    bool StillRunning() override {
      for (std::uint32_t e : system_.exited)
        if (e == id_) return false;
      return true;
    }
    std::uint64_t CreationTime() override {
      for (const ProcessEntry& p : system_.processes)
        if (p.processId == id_) return p.created;
      return 0;
    }
    bool Terminate(std::uint32_t& error) override {
      if (auto e = system_.terminateErrors.find(id_); e != system_.terminateErrors.end()) {
        error = e->second;
        return false;
      }
      system_.ended.push_back(id_);
      std::erase_if(system_.processes, [&](const ProcessEntry& p) { return p.processId == id_; });
      return true;
    }

   private:
    FakeProcessSystem& system_;
    std::uint32_t id_;
  };
};

}  // namespace kvn::fakes
