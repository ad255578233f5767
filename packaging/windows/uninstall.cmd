@echo off
rem Removes what install.cmd added: the right-click command and the Send To
rem shortcut. The program's folder is left for you to delete.
setlocal
reg delete "HKCU\Software\Classes\*\shell\Tarnivo" /f >nul 2>&1
if exist "%APPDATA%\Microsoft\Windows\SendTo\Tarnivo.lnk" del "%APPDATA%\Microsoft\Windows\SendTo\Tarnivo.lnk"
echo Tarnivo is removed from the right-click menu and from Send To.
exit /b 0
