@echo off
rem Release set V010113 of the sample installation medium: a stand-in for a real release set.
rem The installer runs this script with the set's own folder as the current folder, that is
rem <target>\backup\V010113, so the target folder is two levels up. The script leaves a trace
rem there: ReleaseSet.txt names the set that ran and the folder it ran in, and the set's own
rem file is copied beside it.
> "..\..\ReleaseSet.txt" echo V010113
>> "..\..\ReleaseSet.txt" echo ran in %CD%
copy /y "Release-V010113.txt" "..\..\Release-V010113.txt" > nul
exit /b 0
