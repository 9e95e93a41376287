[Convert]
CtrlFile=ˆê——.txt
