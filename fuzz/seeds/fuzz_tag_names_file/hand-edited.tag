# names for gate 4
	,0123456789ABCDEF	, ,Two  blanks kept  

garbage
0123456789ax Broken
Registrationfile for gate
0123456789abcdef Duplicate of the first
1020304050607080,Bob