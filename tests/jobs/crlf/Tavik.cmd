[Convert]
CtrlFile=link.txt
NoHeader=0
