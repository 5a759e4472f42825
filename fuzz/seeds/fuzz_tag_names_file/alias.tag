0123456789abcdef  Gate 4, left
1020304050607080  Runner 12
0123456789ab  Twelve digits
ffffffffffffffff  Service car
