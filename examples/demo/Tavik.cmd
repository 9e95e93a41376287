[Convert]
; the list of pictures to convert
CtrlFile=pictures.txt
NoHeader=0
