; Installer for Helvanta on Windows, built by scripts/package-windows.sh:
;   makensis -DVERSION=<version> -DSTAGE=<folder with the zip's files> -DOUTFILE=<setup.exe>
; Installs into Program Files, adds the service, and removes it again on uninstall.
; A 64-bit installer for a 64-bit program (and one that wine64 alone can run).
Target amd64-unicode

Name "Helvanta ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Helvanta"
RequestExecutionLevel admin

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Helvanta"
  SetOutPath "$INSTDIR"
  File "${STAGE}/helvanta.exe"
  File "${STAGE}/*.dll"
  File "${STAGE}/Template.csv"
  File "${STAGE}/README-windows.txt"
  ; An edited Helvanta.ini is kept.
  SetOverwrite off
  File "${STAGE}/Helvanta.ini"
  SetOverwrite on
  CreateDirectory "$INSTDIR\Data"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  ExecWait '"$INSTDIR\helvanta.exe" -service -install -silent' $0
  StrCmp $0 "0" +2
    MessageBox MB_ICONEXCLAMATION "The service could not be installed (exit code $0)."
SectionEnd

Section "Uninstall"
  ExecWait 'net stop HelvantaService'
  ExecWait '"$INSTDIR\helvanta.exe" -service -uninstall -silent' $0
  StrCmp $0 "0" +2
    MessageBox MB_ICONEXCLAMATION "The service could not be removed (exit code $0)."
  Delete "$INSTDIR\helvanta.exe"
  Delete "$INSTDIR\*.dll"
  Delete "$INSTDIR\Template.csv"
  Delete "$INSTDIR\README-windows.txt"
  Delete "$INSTDIR\uninstall.exe"
  ; Helvanta.ini and the Data folder hold the user's settings and logs: they stay.
  RMDir "$INSTDIR"
SectionEnd
