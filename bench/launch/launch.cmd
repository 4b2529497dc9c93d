@echo off
rem The batch-file way of doing what the launcher does for an installed
rem agent: read the INI file beside it, look the agent's location up in the
rem registry, read config.ini for the data directory, check installed.xml
rem for the agent package, then start the agent and wait for it. Wine's
rem findstr is a stub, so the file reads use find (with the file named, as
rem its reading of standard input stops short on longer files; and without
rem quotation marks in the text looked for, which it does not match).
setlocal
set "INI=%~dp0launcher.ini"
for /f "tokens=1,* delims==" %%a in ('find "LOCATION_KEY=" "%INI%"') do set "KEY=%%b"
for /f "tokens=1,* delims==" %%a in ('find "LAUNCHER=" "%INI%"') do set "PROGRAM=%%b"
for /f "tokens=2,*" %%a in ('reg query "HKCU\%KEY%" /v location ^| find "location"') do set "LOC=%%b"
if not defined LOC exit /b 1
for /f "tokens=1,* delims==" %%a in ('find "tessa.appDataLocation=" "%LOC%\eclipse\configuration\config.ini"') do set "DATA=%%b"
if not defined DATA exit /b 1
set "DATA=%DATA:\:=:%"
set "DATA=%DATA:\\=\%"
find "com.norvex.tessa.agent" "%DATA%\installed.xml" > nul
if errorlevel 1 exit /b 1
start "" /wait "%LOC%\%PROGRAM%"
exit /b %errorlevel%
