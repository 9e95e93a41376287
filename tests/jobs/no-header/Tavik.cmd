[Convert]
CtrlFile=link.txt
NoHeader=1
