#include <windows.h>

#include "app/wizard_app.h"
#include "fw/win_app.h"

namespace {

// Junctions and symbolic links that a user made are not followed by this elevated process, where
// the system has the policy (RedirectionGuard): Windows 11, and Windows 10 22H2 once updated. The
// documentation's minimum, Windows 8.1, is that of the call; earlier systems refuse the policy.
void TrustOnlyAdministratorsRedirections() {
  // Looked up rather than imported: Windows 7 has no SetProcessMitigationPolicy at all.
  using SetPolicyFn = BOOL(WINAPI*)(PROCESS_MITIGATION_POLICY, PVOID, SIZE_T);
  auto setPolicy = reinterpret_cast<SetPolicyFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetProcessMitigationPolicy")));
  if (!setPolicy) return;
  PROCESS_MITIGATION_REDIRECTION_TRUST_POLICY policy = {};
  policy.EnforceRedirectionTrust = 1;
  // Older systems refuse a policy they do not know: nothing more can be done there.
  setPolicy(ProcessRedirectionTrustPolicy, &policy, sizeof policy);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
  TrustOnlyAdministratorsRedirections();
  auto* app = static_cast<CWizardApp*>(AfxGetApp());
  if (app) app->commandLine = commandLine ? commandLine : "";
  const int exitCode = AfxWinMain(instance, showCommand);
  // The framework's own code stands for a run that did not finish.
  return exitCode == 0 && app ? app->exitCode : exitCode;
}
