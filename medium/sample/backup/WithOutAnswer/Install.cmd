@echo off
rem "WithOutAnswer" is no release set: the installer copies it with the rest of "backup" but never
rem runs this script. Should it ever run, this file in the target folder tells.
> "..\..\WithOutAnswer-ran.txt" echo WithOutAnswer\Install.cmd ran in %CD%, which it never should
exit /b 1
