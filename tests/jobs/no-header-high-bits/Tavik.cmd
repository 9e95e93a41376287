[Convert]
CtrlFile=link.txt
NoHeader=0x10000
