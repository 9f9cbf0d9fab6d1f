// Start-up of the reload tool: its folder, command line and product.
#pragma once

#include <string>
#include <string_view>

#include "command_line.h"
#include "reload_state.h"
#include "reload_system.h"

namespace reload {

// Drive and directory of a program path, without a trailing backslash,
// shortened to kTextLimit.
std::wstring GetModuleFolder(std::wstring_view programPath);

// Stores the first kParameterSlots parameters; each one beyond them gets its
// own "Too many parameters" box and is dropped.
class CmdLineInfo : public fw::CommandLineInfo<wchar_t> {
 public:
  CmdLineInfo(ReloadState& state, ReloadSystem& system) : state_(state), system_(system) {}
  ~CmdLineInfo() override = default;
  void CollectParameter(const std::wstring& text, bool flag, bool last) override;

 private:
  ReloadState& state_;
  ReloadSystem& system_;
};

// The parameter after the first one holding a lowercase "w"; otherwise the
// product whose name the tool's folder carries.
void SelectProduct(ReloadState& state);

}  // namespace reload
