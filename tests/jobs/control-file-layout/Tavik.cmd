; made by hand
[Other]
CtrlFile=none.txt

  [ convert ]  
; CtrlFile=none.txt
ctrlfile = "link list.txt"  
NOHEADER =  1
