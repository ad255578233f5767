@echo off
rem Adds Tarnivo for the current user: a "Tarnivo" command on the right-click
rem menu of every file and a Tarnivo shortcut in Send To. Run it from the
rem folder that holds tarnivo.exe. Needs no administrator rights.
setlocal
set "TARNIVO_EXE=%~dp0tarnivo.exe"
set "TARNIVO_LINK=%APPDATA%\Microsoft\Windows\SendTo\Tarnivo.lnk"
if not exist "%TARNIVO_EXE%" (
  echo tarnivo.exe is not in the folder of this script.
  exit /b 1
)

reg add "HKCU\Software\Classes\*\shell\Tarnivo" /ve /d "Tarnivo..." /f >nul
if errorlevel 1 goto failed
reg add "HKCU\Software\Classes\*\shell\Tarnivo" /v Icon /d "\"%TARNIVO_EXE%\",0" /f >nul
if errorlevel 1 goto failed
reg add "HKCU\Software\Classes\*\shell\Tarnivo\command" /ve /d "\"%TARNIVO_EXE%\" \"%%1\"" /f >nul
if errorlevel 1 goto failed

rem The shortcut: PowerShell where it works, else Windows Script Host.
if not exist "%APPDATA%\Microsoft\Windows\SendTo" mkdir "%APPDATA%\Microsoft\Windows\SendTo"
powershell -NoProfile -ExecutionPolicy Bypass -Command "$l = (New-Object -ComObject WScript.Shell).CreateShortcut($env:TARNIVO_LINK); $l.TargetPath = $env:TARNIVO_EXE; $l.Description = 'Copy files from the explorer to any folder'; $l.Save()" >nul 2>&1
if exist "%TARNIVO_LINK%" goto done
set "TARNIVO_VBS=%TEMP%\tarnivo-install-%RANDOM%.vbs"
> "%TARNIVO_VBS%" echo Set shell = CreateObject("WScript.Shell")
>> "%TARNIVO_VBS%" echo Set link = shell.CreateShortcut(shell.Environment("PROCESS")("TARNIVO_LINK"))
>> "%TARNIVO_VBS%" echo link.TargetPath = shell.Environment("PROCESS")("TARNIVO_EXE")
>> "%TARNIVO_VBS%" echo link.Description = "Copy files from the explorer to any folder"
>> "%TARNIVO_VBS%" echo link.Save
cscript //nologo "%TARNIVO_VBS%" >nul 2>&1
del "%TARNIVO_VBS%" >nul 2>&1
if not exist "%TARNIVO_LINK%" goto failed

:done
echo Tarnivo is installed: right-click a file and choose Tarnivo, or use Send To.
exit /b 0

:failed
echo Tarnivo could not be installed completely.
exit /b 1
