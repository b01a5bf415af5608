/queue simple set max-limit=1048576/10485760 parent=global target=10.0.0.2/32,10.0.0.3/32 name=1_16 comment=orlix4sql_1_16
/queue simple set max-limit=64k/128k parent=global target=10.0.0.4/32 name=2_17 comment=orlix4sql_2_17
/queue simple set max-limit=524288/5242880 parent=global target=10.0.0.5/32 name=3_18 comment=orlix4sql_3_18
/queue simple set max-limit=64k/128k parent=global target=10.0.0.6/32 name=4_19 comment=orlix4sql_4_19
