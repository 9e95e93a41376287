[Convert]
CtrlFile=absent.txt
