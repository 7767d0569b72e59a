; The Windows installer of 澜川智付PC端: installs the program for all users of the PC under Program
; Files, with shortcuts that start it in each user's own data folder, %LOCALAPPDATA%\LanchuanPay,
; where it keeps data.ini, app.config and journal.json. The uninstaller removes the program and
; leaves those files alone. /S installs or uninstalls without a window.
;
; scripts/package-windows builds it (this file is UTF-8), giving:
;   VERSION     the program's version, x.y.z
;   DEPLOY_DIR  the folder to install: cashier.exe with its DLLs and Qt plugins
;   FILE_LIST   NSIS lines that delete exactly those files and folders from $INSTDIR
;   ICON        the installer's icon (the program's own)
;   OUTFILE     the installer to write

!macro Require NAME
    !ifndef ${NAME}
        !error "${NAME} is not defined: scripts/package-windows builds this installer"
    !endif
!macroend
!insertmacro Require VERSION
!insertmacro Require DEPLOY_DIR
!insertmacro Require FILE_LIST
!insertmacro Require ICON
!insertmacro Require OUTFILE

Unicode true
; The program is 64-bit, and so is the installer: it sees the 64-bit Program Files and registry.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestDPIAware true
; A file that cannot be replaced (the program still running) asks to retry or cancel; it is never
; skipped, which would leave a mix of two versions behind an install that reports success.
AllowSkipFiles off

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh

!define PRODUCT "澜川智付"
; The folder and registry key name, also the data folder's name (platform/DataFolder.h).
!define FOLDER "LanchuanPay"
!define EXE "cashier.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${FOLDER}"
; Run once for every user at their next logon: makes their data folder (see the install section).
!define ACTIVE_SETUP_KEY "Software\Microsoft\Active Setup\Installed Components\${FOLDER}"
; The program's autostart entry: the value "auto" here, the program's path, when switched on.
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define DATA_DIR "%LOCALAPPDATA%\${FOLDER}"

Name "${PRODUCT}PC端 ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${FOLDER}"
; An update goes where the installed version is.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=2052 "ProductName" "${PRODUCT}PC端"
VIAddVersionKey /LANG=2052 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "FileDescription" "${PRODUCT}PC端 安装程序"
VIAddVersionKey /LANG=2052 "CompanyName" "${PRODUCT}"
VIAddVersionKey /LANG=2052 "LegalCopyright" "${PRODUCT}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "SimpChinese"

Function .onInit
    SetRegView 64
FunctionEnd

Function un.onInit
    SetRegView 64
FunctionEnd

Section
    SetShellVarContext all
    SetOutPath "$INSTDIR"
    File /r "${DEPLOY_DIR}\*"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    ; The shortcuts start the program in the data folder of whoever clicks them: Windows expands
    ; the variable in a shortcut's working folder for each user. CreateShortcut takes that folder
    ; from $OUTDIR, set here to the text itself.
    CreateDirectory "$SMPROGRAMS\${PRODUCT}"
    StrCpy $OUTDIR "${DATA_DIR}"
    CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0
    CreateShortcut "$DESKTOP\${PRODUCT}.lnk" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0
    SetOutPath "$INSTDIR"

    ; Windows refuses to start a shortcut whose working folder is missing, so it has to exist before
    ; the first click: made now for the user installing, and at the next logon for every other user
    ; (Active Setup runs the command once per user; the program makes it too when started otherwise).
    SetShellVarContext current
    CreateDirectory "$LOCALAPPDATA\${FOLDER}"
    SetShellVarContext all
    WriteRegStr HKLM "${ACTIVE_SETUP_KEY}" "" "${PRODUCT}"
    WriteRegStr HKLM "${ACTIVE_SETUP_KEY}" "StubPath" \
        '"$SYSDIR\cmd.exe" /d /c if not exist "${DATA_DIR}\" md "${DATA_DIR}"'
    WriteRegStr HKLM "${ACTIVE_SETUP_KEY}" "Version" "1"

    ; Programs and Features.
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}PC端"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${EXE},0"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
    SetShellVarContext all
    Delete "$DESKTOP\${PRODUCT}.lnk"
    Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk"
    RMDir "$SMPROGRAMS\${PRODUCT}"

    ; Exactly the installed files: the folder may have been chosen with other files in it. The data
    ; folders of the users are not touched.
    !include "${FILE_LIST}"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"

    ; The autostart entry of the user uninstalling, when it starts this copy: left behind it would
    ; name a missing program at every logon. One naming another copy is that copy's.
    ReadRegStr $0 HKCU "${RUN_KEY}" "auto"
    ${If} $0 == "$INSTDIR\${EXE}"
    ${OrIf} $0 == '"$INSTDIR\${EXE}"'
        DeleteRegValue HKCU "${RUN_KEY}" "auto"
    ${EndIf}

    DeleteRegKey HKLM "${ACTIVE_SETUP_KEY}"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
