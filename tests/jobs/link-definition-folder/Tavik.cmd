[Convert]
CtrlFile=lists
