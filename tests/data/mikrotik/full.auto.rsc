:foreach i in=[/ip arp find] do={:if ("." . [:find [/ip arp get $i comment] "orlix4sql"] . "."!="..") do={/ip arp remove $i}}
/ip arp add address=10.0.0.2 mac-address=00:1A:2B:3C:4D:5E interface=ether2 comment=orlix4sql_15
/ip arp add address=10.0.0.3 mac-address=00:1A:2B:3C:4D:5F interface=ether2 comment=orlix4sql_16
/ip arp add address=10.0.0.4 mac-address=00:1A:2B:3C:4D:60 interface=ether2 comment=orlix4sql_17
/ip arp add address=10.0.0.6 mac-address=00:1A:2B:3C:4D:62 interface=ether2 comment=orlix4sql_19
/ip arp add address=10.0.1.1 mac-address=4C:5E:0C:11:22:33 interface=ether2 comment=orlix4sql_INF_3
:foreach i in=[/queue simple find] do={:if ("." . [:find [/queue simple get $i comment] "orlix4sql"] . "."!="..") do={/queue simple remove $i}}
/queue simple add max-limit=1M/10M name=global priority=7/7 queue=sfq/sfq target=ether2 total-queue=sfq comment=orlix4sql_0
/queue simple add max-limit=1048576/10485760 parent=global target=10.0.0.2/32,10.0.0.3/32 name=1_16 comment=orlix4sql_1_16
/queue simple add max-limit=64k/128k parent=global target=10.0.0.4/32 name=2_17 comment=orlix4sql_2_17
/queue simple add max-limit=524288/5242880 parent=global target=10.0.0.5/32 name=3_18 comment=orlix4sql_3_18
/queue simple add max-limit=64k/128k parent=global target=10.0.0.6/32 name=4_19 comment=orlix4sql_4_19
/queue simple add max-limit=104857600/104857600 parent=global target=10.0.1.1/32 name=INF_3 comment=orlix4sql_INF_3
:foreach i in=[/ip dhcp-server lease find] do={:if ("." . [:find [/ip dhcp-server lease get $i comment] "orlix4sql"] . "."!="..") do={/ip dhcp-server lease remove $i}}
/ip dhcp-server lease add address=10.0.0.2 mac-address=00:1A:2B:3C:4D:5E server=ether2 comment=orlix4sql_15
/ip dhcp-server lease add address=10.0.0.3 mac-address=00:1A:2B:3C:4D:5F server=ether2 comment=orlix4sql_16
/ip dhcp-server lease add address=10.0.0.4 mac-address=00:1A:2B:3C:4D:60 server=ether2 comment=orlix4sql_17
/ip dhcp-server lease add address=10.0.0.6 mac-address=00:1A:2B:3C:4D:62 server=ether2 comment=orlix4sql_19
/ip dhcp-server lease add address=10.0.1.1 mac-address=4C:5E:0C:11:22:33 server=ether2 comment=orlix4sql_INF_3
/ip firewall address-list remove [/ip firewall address-list find list="zawieszone"]
/ip firewall address-list remove [/ip firewall address-list find list="powiadamiaj"]
/ip firewall address-list remove [/ip firewall address-list find list="blokuj"]
/ip firewall address-list add address=10.0.0.4 list=blokuj comment=orlix4sql_17
/ip firewall address-list add address=10.0.0.5 list=powiadamiaj comment=orlix4sql_18
/ip firewall address-list add address=10.0.0.6 list=zawieszone comment=orlix4sql_19
/ip firewall address-list remove [/ip firewall address-list find list="hazard"]
:foreach i in=[/ip firewall nat find] do={:if ("." . [:find [/ip firewall nat get $i comment] "orlix4sql"] . "."!="..") do={/ip firewall nat remove $i}}
/ip firewall nat add action=src-nat chain=srcnat src-address=10.0.0.4 to-addresses=193.0.2.10 comment=orlix4sql_17
/ip firewall nat add action=dst-nat chain=dstnat dst-address=193.0.2.10 to-addresses=10.0.0.4 comment=orlix4sql_17
:foreach i in=[/ppp secret find] do={:if ("." . [:find [/ppp secret get $i comment] "orlix4sql"] . "."!="..") do={/ppp secret remove $i}}
/ppp secret add caller-id=00:1A:2B:3C:4D:61 remote-address=10.0.0.5 name=wisniewska password=k0t3k profile=abonent service=pppoe comment=orlix4sql_18
:foreach i in=[/ip address find] do={:if ("." . [:find [/ip address get $i comment] "orlix4sql"] . "."!="..") do={/ip address remove $i}}
/ip address add address=193.0.2.10/32 interface=ether1 comment=orlix4sql_17
/system note set note="Orlix"
