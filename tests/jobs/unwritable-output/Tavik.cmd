[Convert]
CtrlFile=link.txt
