[Convert]
NoHeader=1
[Other]
CtrlFile=link.txt
