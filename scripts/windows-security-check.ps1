<#
.SYNOPSIS
  Checks on a real Windows (a VM) what Wine cannot show: the install folder's security (read-only to
  users), the refusal of redirected, foreign-owned and user-changeable folders, and the process's
  redirection trust mitigation.

.DESCRIPTION
  Run each step in the session it names, in this order, on a machine with a standard user account:

   1. As administrator:  .\windows-security-check.ps1 -Step Descriptors
        after a default install (SetUp.exe, Install, path C:\Quilox).
      Expected:
        PASS C:\Quilox: owner BUILTIN\Administrators, protected, no rule inherited
        PASS C:\Quilox: Users may read and execute, nothing more
        PASS C:\Quilox\Tessarune: owner BUILTIN\Administrators, protected, no rule inherited
        PASS C:\Quilox\Tessarune: Users may read and execute, nothing more
        PASS C:\Program Files\Quilox\Tessarune Setup: owner BUILTIN\Administrators, protected, no rule inherited
        PASS C:\Program Files\Quilox\Tessarune Setup: Users may read and execute, nothing more
        PASS Quilox2010.ARX: owner BUILTIN\Administrators, the rules of a file made in C:\Quilox\Tessarune now
        PASS C:\Quilox\Tessarune: no folder of copies left
   2. As the standard user:  .\windows-security-check.ps1 -Step UserAccess
      Expected:
        PASS replacing Quilox2010.ARX is denied
        PASS renaming Quilox2010.ARX is denied
        PASS deleting Quilox2010.ARX is denied
        PASS renaming the folder C:\Quilox\Tessarune is denied
        PASS deleting the folder C:\Quilox is denied
        PASS creating a new file in C:\Quilox\Tessarune is denied
        PASS creating a new folder in C:\Quilox\Tessarune is denied
        PASS creating a new file in C:\Program Files\Quilox\Tessarune Setup is denied
   3. As administrator:  .\windows-security-check.ps1 -Step MakeJunction
      then run SetUp.exe and press Install with the path C:\Quilox.
      Expected: the message "文件夹 C:\Quilox 是链接或不属于管理员，为安全起见不能安装到这里。" (caption
      "Tessarune软件安装", exclamation icon); then  .\windows-security-check.ps1 -Step AfterRefusal
        PASS C:\QuiloxTarget is still empty
   4. As the standard user (C:\Quilox removed by step 3's AfterRefusal):
        .\windows-security-check.ps1 -Step MakeUserFolder
      then as administrator run SetUp.exe, Install with C:\Quilox: the same message; then
        .\windows-security-check.ps1 -Step AfterRefusal
        PASS C:\Quilox holds nothing the setup made
   5. As administrator:  .\windows-security-check.ps1 -Step MakeExplorerFolder
      (a folder below C:\ made the way Explorer makes it: it inherits "Authenticated Users: Modify"), then
      run SetUp.exe and press Install with the path C:\QuiloxExplorer.
      Expected: "文件夹 C:\QuiloxExplorer 可被其他用户改名或删除，为安全起见不能安装到这里。"; then
        .\windows-security-check.ps1 -Step AfterExplorerFolder
        PASS C:\QuiloxExplorer holds nothing the setup made
   6. With a FAT32 or exFAT USB drive E:, run SetUp.exe and press Install with the path E:\Quilox.
      Expected: "文件夹 E:\Quilox\Tessarune 所在的磁盘不能设置权限（如 FAT32、exFAT），为安全起见不能安装到这里。"
      and nothing made on E:.
   7. While SetUp.exe shows its dialog, as administrator:  .\windows-security-check.ps1 -Step Mitigation
      Expected on Windows 11, or Windows 10 22H2 with current updates (older systems refuse the policy):
        PASS SetUp.exe enforces redirection trust
   8. With a distribution that carries a manifest: change one byte of Data\Quilox2010.arx, run SetUp.exe,
      Install: the file is reported as not matching the signed distribution and is neither installed nor
      registered (HKLM ...\Applications\Quilox2010 keeps its earlier LOADER or is absent).
   9. With a second standard user who has started AutoCAD once (so that it has a profile) and is now
      logged off, as administrator in the distribution folder:
        .\windows-security-check.ps1 -Step AllUsers -SecondUser <name>
      It runs SetUp.exe /S /ALLUSERS, then loads that user's NTUSER.DAT to read it. Expected:
        PASS the second user's hive is not loaded before the run
        PASS SetUp.exe /S /ALLUSERS ends with 0
        PASS no Tessarune_ hive stays loaded below HKEY_USERS
        PASS <each of the second user's profiles>: TRUSTEDPATHS holds C:\QUILOX\TESSARUNE
  10. As administrator, in the distribution folder (on a slow disk if you have one):
        .\windows-security-check.ps1 -Step Responsive
      It copies the distribution into %TEMP%\TessaResponsive with 10,000 more small files in Data,
      starts that SetUp.exe, presses Install and watches the dialog until the first completion message.
      Expected:
        PASS the dialog was never "Not Responding" (N checks over S seconds)
      and the time the 10,000-file install took. Answer the two completion messages afterwards.
  11. Users who come later. As administrator, install (SetUp.exe /S, without /ALLUSERS). Then log on as a
      second standard user who has an AutoCAD profile and has not logged on since the install (Active
      Setup runs the kept TessaruneUser.exe once, at that logon, as that user), and in that session:
        .\windows-security-check.ps1 -Step ActiveSetup
      Expected:
        PASS Active Setup ran the component for this user (its Version here is the machine's)
        PASS <each of the user's profiles>: TRUSTEDPATHS holds <the install folder>
        PASS the user's record HKCU\Software\Quilox\Tessarune holds InstallRecord
        PASS replacing TessaruneUser.exe is denied
      Then, as administrator, SetUp.exe /UNINSTALL /S, and log on as that user again: the profiles no
      longer hold the folder and HKCU\Software\Quilox is gone.
  12. Copy the distribution into a folder the standard user may change (e.g. C:\Users\Public\Dist); as
      administrator start SetUp.exe from there and leave its dialog open; then, as the standard user in
      that folder:  .\windows-security-check.ps1 -Step HeldSetup
      Expected:
        PASS renaming the running SetUp.exe is denied
        PASS writing the running SetUp.exe is denied
  13. As administrator, after a default install:  .\windows-security-check.ps1 -Step UninstallThroughJunction
      It moves C:\Quilox\Tessarune to C:\QuiloxTarget, puts a junction in its place and runs the kept
      uninstaller with /UNINSTALL /S. Expected:
        PASS the uninstall ends with 1603
        PASS C:\QuiloxTarget keeps Quilox2010.ARX
        PASS C:\Quilox\Tessarune is still the junction
  Any FAIL line names what differs.
#>
param(
  [Parameter(Mandatory = $true)]
  [ValidateSet('Descriptors', 'UserAccess', 'MakeJunction', 'MakeUserFolder', 'AfterRefusal', 'MakeExplorerFolder',
               'AfterExplorerFolder', 'Mitigation', 'AllUsers', 'Responsive', 'ActiveSetup', 'HeldSetup',
               'UninstallThroughJunction')]
  [string]$Step,
  # For AllUsers: a user who is not logged on.
  [string]$SecondUser
)

$ErrorActionPreference = 'Stop'
$chosen = 'C:\Quilox'
$install = 'C:\Quilox\Tessarune'
$target = 'C:\QuiloxTarget'
$record = Join-Path $env:ProgramFiles 'Quilox\Tessarune Setup'
$explorer = 'C:\QuiloxExplorer'

function Report([bool]$ok, [string]$what) {
  if ($ok) { Write-Output "PASS $what" } else { Write-Output "FAIL $what" }
}

function Test-Denied([string]$what, [scriptblock]$action) {
  try { & $action; Report $false "$what is denied (it was allowed)" }
  catch [System.UnauthorizedAccessException] { Report $true "$what is denied" }
  catch { Report ($_.Exception.HResult -eq -2147024891) "$what is denied ($($_.Exception.Message))" }
}

switch ($Step) {
  'Descriptors' {
    $users = New-Object System.Security.Principal.SecurityIdentifier('S-1-5-32-545')
    $readExecute = [System.Security.AccessControl.FileSystemRights]'ReadAndExecute, Synchronize'
    # Users may add nothing to any of them: AutoCAD loads what lies beside a module or a menu.
    foreach ($folder in $chosen, $install, $record) {
      $acl = Get-Acl -LiteralPath $folder
      $rules = $acl.GetAccessRules($true, $true, [System.Security.Principal.SecurityIdentifier])
      $inherited = @($rules | Where-Object { $_.IsInherited }).Count
      $owner = (New-Object System.Security.Principal.NTAccount($acl.Owner)).Translate(
        [System.Security.Principal.SecurityIdentifier]).Value
      Report ($owner -eq 'S-1-5-32-544' -and $acl.AreAccessRulesProtected -and $inherited -eq 0) `
        "${folder}: owner BUILTIN\Administrators, protected, no rule inherited"
      $userRights = 0
      foreach ($rule in $rules) {
        if ($rule.IdentityReference -eq $users -and $rule.AccessControlType -eq 'Allow' -and
            ($rule.PropagationFlags -band 2) -eq 0) { $userRights = $userRights -bor [int]$rule.FileSystemRights }
      }
      Report ($userRights -eq [int]$readExecute) "${folder}: Users may read and execute, nothing more"
    }
    # Installed files are written in a folder of the setup's own and renamed into place, keeping the
    # rules they got there: they must be those a file made in the install folder gets.
    $module = Get-Acl -LiteralPath (Join-Path $install 'Quilox2010.ARX')
    $probe = Join-Path $install "admin-probe-$PID.txt"
    [System.IO.File]::WriteAllText($probe, 'probe')
    $made = Get-Acl -LiteralPath $probe
    Remove-Item -LiteralPath $probe
    $owner = (New-Object System.Security.Principal.NTAccount($module.Owner)).Translate(
      [System.Security.Principal.SecurityIdentifier]).Value
    Report ($owner -eq 'S-1-5-32-544' -and
            $module.GetSecurityDescriptorSddlForm('Access') -eq $made.GetSecurityDescriptorSddlForm('Access')) `
      "Quilox2010.ARX: owner BUILTIN\Administrators, the rules of a file made in $install now"
    Report (@(Get-ChildItem -LiteralPath $install -Directory -Force -Filter '~copying-*').Count -eq 0) `
      "${install}: no folder of copies left"
  }
  'UserAccess' {
    $module = Join-Path $install 'Quilox2010.ARX'
    Test-Denied 'replacing Quilox2010.ARX' { [System.IO.File]::WriteAllText($module, 'x') }
    Test-Denied 'renaming Quilox2010.ARX' { Rename-Item -LiteralPath $module -NewName 'moved.ARX' }
    Test-Denied 'deleting Quilox2010.ARX' { [System.IO.File]::Delete($module) }
    Test-Denied "renaming the folder $install" { [System.IO.Directory]::Move($install, "$install-moved") }
    Test-Denied "deleting the folder $chosen" { [System.IO.Directory]::Delete($chosen, $true) }
    Test-Denied "creating a new file in $install" {
      [System.IO.File]::WriteAllText((Join-Path $install "user-probe-$PID.txt"), 'probe')
    }
    Test-Denied "creating a new folder in $install" {
      [System.IO.Directory]::CreateDirectory((Join-Path $install "user-probe-$PID")) | Out-Null
    }
    Test-Denied "creating a new file in $record" {
      [System.IO.File]::WriteAllText((Join-Path $record "user-probe-$PID.txt"), 'probe')
    }
  }
  'MakeJunction' {
    if (Test-Path -LiteralPath $chosen) { Remove-Item -LiteralPath $chosen -Recurse -Force }
    New-Item -ItemType Directory -Path $target -Force | Out-Null
    New-Item -ItemType Junction -Path $chosen -Target $target | Out-Null
    Write-Output "made the junction $chosen -> $target: now run SetUp.exe"
  }
  'MakeUserFolder' {
    New-Item -ItemType Directory -Path $chosen | Out-Null
    Write-Output "made $chosen owned by $env:USERNAME: now run SetUp.exe as administrator"
  }
  'AfterRefusal' {
    if (Test-Path -LiteralPath $target) {
      Report (@(Get-ChildItem -LiteralPath $target -Force).Count -eq 0) "$target is still empty"
      Remove-Item -LiteralPath $chosen -Force -Recurse
      Remove-Item -LiteralPath $target -Force -Recurse
    } else {
      Report (-not (Test-Path -LiteralPath $install)) "$chosen holds nothing the setup made"
      Remove-Item -LiteralPath $chosen -Force -Recurse
    }
  }
  'MakeExplorerFolder' {
    # Made with default security, as Explorer makes it: it inherits what C:\ passes on.
    New-Item -ItemType Directory -Path $explorer -Force | Out-Null
    Write-Output "made $explorer with the rights C:\ passes on: now run SetUp.exe with that path"
  }
  'AfterExplorerFolder' {
    Report (-not (Test-Path -LiteralPath (Join-Path $explorer 'Tessarune'))) "$explorer holds nothing the setup made"
    Remove-Item -LiteralPath $explorer -Force -Recurse
  }
  'Mitigation' {
    Add-Type -Namespace Tessa -Name Native -MemberDefinition @'
[DllImport("kernel32.dll", SetLastError = true)]
public static extern bool GetProcessMitigationPolicy(IntPtr process, int policy, out uint flags, UIntPtr size);
'@
    $process = Get-Process -Name SetUp | Select-Object -First 1
    $flags = [uint32]0
    # 16: ProcessRedirectionTrustPolicy; bit 0: EnforceRedirectionTrust
    $ok = [Tessa.Native]::GetProcessMitigationPolicy($process.Handle, 16, [ref]$flags, [UIntPtr]4)
    Report ($ok -and ($flags -band 1)) 'SetUp.exe enforces redirection trust'
  }
  'AllUsers' {
    if (-not $SecondUser) { throw 'AllUsers needs -SecondUser <name>' }
    $sid = (New-Object System.Security.Principal.NTAccount($SecondUser)).Translate(
      [System.Security.Principal.SecurityIdentifier]).Value
    $users = [Microsoft.Win32.Registry]::Users
    Report (-not ($users.GetSubKeyNames() -contains $sid)) "the second user's hive is not loaded before the run"
    $setup = Start-Process -FilePath (Join-Path (Get-Location) 'SetUp.exe') -ArgumentList '/S', '/ALLUSERS' `
      -Wait -PassThru
    Report ($setup.ExitCode -eq 0) "SetUp.exe /S /ALLUSERS ends with 0 (it ended with $($setup.ExitCode))"
    $left = @($users.GetSubKeyNames() | Where-Object { $_ -like 'Tessarune_*' })
    Report ($left.Count -eq 0) "no Tessarune_ hive stays loaded below HKEY_USERS $($left -join ' ')"

    $profileList = 'HKLM:\SOFTWARE\Microsoft\Windows NT\CurrentVersion\ProfileList'
    $profilePath = (Get-ItemProperty -LiteralPath "$profileList\$sid").ProfileImagePath
    $hive = Join-Path ([Environment]::ExpandEnvironmentVariables($profilePath)) 'NTUSER.DAT'
    & reg.exe load 'HKU\TessaCheck' $hive | Out-Null
    if ($LASTEXITCODE -ne 0) { Report $false "the second user's hive $hive loads for the check"; return }
    try {
      $acad = $users.OpenSubKey('TessaCheck\Software\Autodesk\AutoCAD')
      $found = 0
      foreach ($release in @(if ($acad) { $acad.GetSubKeyNames() })) {
        foreach ($product in $acad.OpenSubKey($release).GetSubKeyNames()) {
          $profiles = $acad.OpenSubKey("$release\$product\Profiles")
          if (-not $profiles) { continue }
          foreach ($name in $profiles.GetSubKeyNames()) {
            $variables = $profiles.OpenSubKey("$name\Variables")
            $trusted = if ($variables) { [string]$variables.GetValue('TRUSTEDPATHS') } else { '' }
            Report ($trusted.ToUpperInvariant().Contains('C:\QUILOX\TESSARUNE')) `
              "${release}\${product}\${name}: TRUSTEDPATHS holds C:\QUILOX\TESSARUNE ($trusted)"
            if ($variables) { $variables.Close() }
            $found++
          }
          $profiles.Close()
        }
      }
      if ($acad) { $acad.Close() }
      Report ($found -gt 0) "the second user has AutoCAD profiles ($found)"
    } finally {
      [GC]::Collect()
      [GC]::WaitForPendingFinalizers()
      & reg.exe unload 'HKU\TessaCheck' | Out-Null
    }
  }
  'Responsive' {
    # Windows marks a window "Not Responding" (IsHungAppWindow) when its thread has not looked at its
    # queue for 5 seconds: the install must look between files and inside long steps.
    Add-Type -Namespace Tessa -Name Windows -MemberDefinition @'
[DllImport("user32.dll")] public static extern bool IsHungAppWindow(IntPtr window);
[DllImport("user32.dll", CharSet = CharSet.Unicode)] public static extern IntPtr FindWindowW(string cls, string title);
[DllImport("user32.dll")] public static extern IntPtr GetDlgItem(IntPtr dialog, int id);
[DllImport("user32.dll")] public static extern bool PostMessageW(IntPtr window, uint message, IntPtr w, IntPtr l);
'@
    $copy = Join-Path $env:TEMP 'TessaResponsive'
    if (Test-Path -LiteralPath $copy) { Remove-Item -LiteralPath $copy -Recurse -Force }
    Copy-Item -LiteralPath (Get-Location).Path -Destination $copy -Recurse
    $bytes = New-Object byte[] 4096
    for ($i = 1; $i -le 10000; $i++) {
      [IO.File]::WriteAllBytes((Join-Path $copy ("Data\filler{0:D5}.dat" -f $i)), $bytes)
    }
    $setup = Start-Process -FilePath (Join-Path $copy 'SetUp.exe') -PassThru
    # The captions as code points: Windows PowerShell reads a script without a BOM in the ANSI code page.
    $install = 'Tessarune' + [char]0x5B89 + [char]0x88C5
    $completion = 'Tessarune' + [char]0x5DE5 + [char]0x5177 + [char]0x7BB1 + [char]0x5B89 + [char]0x88C5
    $dialog = [IntPtr]::Zero
    for ($i = 0; $i -lt 100 -and $dialog -eq [IntPtr]::Zero; $i++) {
      Start-Sleep -Milliseconds 200
      $dialog = [Tessa.Windows]::FindWindowW('#32770', $install)
    }
    if ($dialog -eq [IntPtr]::Zero) { Report $false 'the setup dialog appears'; return }
    $watch = [Diagnostics.Stopwatch]::StartNew()
    # BM_CLICK on Install (1022), posted: the dialog clicks it in its own time.
    [Tessa.Windows]::PostMessageW([Tessa.Windows]::GetDlgItem($dialog, 1022), 0x00F5, [IntPtr]::Zero, [IntPtr]::Zero) | Out-Null
    $checks = 0; $hung = 0
    while (-not $setup.HasExited -and [Tessa.Windows]::FindWindowW('#32770', $completion) -eq [IntPtr]::Zero) {
      if ([Tessa.Windows]::IsHungAppWindow($dialog)) { $hung++ }
      $checks++
      Start-Sleep -Milliseconds 250
    }
    $seconds = [math]::Round($watch.Elapsed.TotalSeconds, 1)
    Report ($hung -eq 0) "the dialog was never `"Not Responding`" ($checks checks over $seconds seconds; hung in $hung)"
    Write-Output "the install of 10,000 more files took $seconds s"
  }
  'ActiveSetup' {
    $component = 'SOFTWARE\Microsoft\Active Setup\Installed Components\Quilox.Tessarune.User'
    $machine = (Get-ItemProperty -LiteralPath "HKLM:\$component").Version
    $own = (Get-ItemProperty -LiteralPath "HKCU:\$component" -ErrorAction SilentlyContinue).Version
    Report ($own -and $own -eq $machine) "Active Setup ran the component for this user (here '$own', machine '$machine')"
    $uninstallKey = 'HKLM:\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Tessarune'
    $folder = (Get-ItemProperty -LiteralPath $uninstallKey).InstallLocation
    foreach ($variables in @(Get-ChildItem -Path 'HKCU:\Software\Autodesk\AutoCAD\*\*\Profiles\*\Variables' `
                               -ErrorAction SilentlyContinue)) {
      $trusted = [string]$variables.GetValue('TRUSTEDPATHS')
      Report ($trusted.ToUpperInvariant().Contains($folder.ToUpperInvariant())) `
        "$($variables.Name): TRUSTEDPATHS holds $folder ($trusted)"
    }
    $userRecord = (Get-ItemProperty -LiteralPath 'HKCU:\Software\Quilox\Tessarune' -ErrorAction SilentlyContinue).InstallRecord
    Report ($null -ne $userRecord) 'the user''s record HKCU\Software\Quilox\Tessarune holds InstallRecord'
    Test-Denied 'replacing TessaruneUser.exe' { [IO.File]::WriteAllText((Join-Path $record 'TessaruneUser.exe'), 'x') }
  }
  'HeldSetup' {
    # The install holds its own file without write or delete sharing: the uninstaller it keeps is read
    # through that handle.
    $running = Join-Path (Get-Location) 'SetUp.exe'
    $attempts = @{
      'renaming the running SetUp.exe' = { Rename-Item -LiteralPath $running -NewName 'SetUp-moved.exe' }
      'writing the running SetUp.exe' = { [System.IO.File]::Open($running, 'Open', 'Write', 'ReadWrite').Close() }
    }
    foreach ($what in $attempts.Keys | Sort-Object) {
      # Refused as a sharing violation (0x80070020) or as access denied (0x80070005).
      try { & $attempts[$what]; Report $false "$what is denied (it was allowed)" }
      catch {
        $code = $_.Exception.HResult
        if ($_.Exception.InnerException) { $code = $_.Exception.InnerException.HResult }
        Report ($code -eq -2147024864 -or $code -eq -2147024891) "$what is denied ($($_.Exception.Message))"
      }
    }
  }
  'UninstallThroughJunction' {
    if (Test-Path -LiteralPath $target) { Remove-Item -LiteralPath $target -Recurse -Force }
    Move-Item -LiteralPath $install -Destination $target
    New-Item -ItemType Junction -Path $install -Target $target | Out-Null
    $uninstall = Start-Process -FilePath (Join-Path $record 'SetUp.exe') -ArgumentList '/UNINSTALL', '/S' -Wait -PassThru
    Report ($uninstall.ExitCode -eq 1603) "the uninstall ends with 1603 (it ended with $($uninstall.ExitCode))"
    Report (Test-Path -LiteralPath (Join-Path $target 'Quilox2010.ARX')) "$target keeps Quilox2010.ARX"
    $item = Get-Item -LiteralPath $install -Force -ErrorAction SilentlyContinue
    Report ($item -and ($item.Attributes -band [IO.FileAttributes]::ReparsePoint)) "$install is still the junction"
    if ($item) { $item.Delete() }
    Remove-Item -LiteralPath $target -Recurse -Force
  }
}
