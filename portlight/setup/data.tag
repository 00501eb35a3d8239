[APPINFO]
1=Portlight
2=portlight.exe
3=1.0
4=Kestro
5=<Program Files>\Kestro\Portlight
[DIALOG]
0=1
2=1
4=1
7=1
8=1
10=1
COMPLETE1=1
COMPLETE2=1
[FILES]
TOTAL=2
PR0=portlight.exe
ON0=<Install Dir>
PR1=readme.txt
ON1=<Install Dir>
[FOLDER]
TOTAL=2
A0=Portlight
B0=Programs Menu Folder
C0=Normal
D0=portlight.exe
E0=<Install Dir>
A1=Uninstall Portlight
B1=Programs Menu Folder
C1=Normal
D1=wizuninst.exe
E1=<Install Dir>
