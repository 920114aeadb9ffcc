load_I1_files NEW "/data/run 1/i1_7100.tif" /data/i1_7110.tif
set_band_w 2
set_band_h 2
select_region 10 10 60 40
:for r R 1 3
  analyzer_set_LCF_std R 1 0.5 "ref R.dat" vic
:next r
analyzer_exec_LCF
saveDataCfg_save_as_text
save_data out/map.dat # the map
:echo "done"
quit
