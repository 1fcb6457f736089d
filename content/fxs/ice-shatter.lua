-- fxs/ice-shatter.lua
-- An ice bolt shattering into shards.

FXParm ("num_parts", 8);
FXParm ("bitmap", "fxs/ice-shard.png");
FXParm ("color_r", 0.75, 0.9);
FXParm ("color_g", 0.9, 1);
FXParm ("color_b", 1, 1);
FXParm ("move_angle_spread", 360);
FXParm ("speed", 60, 140);
FXParm ("dampening_factor", 0.1, 0.2);
FXParm ("angle_spread", 360);
FXParm ("angle_rps", -360, 360);
FXParm ("scale", 0.5, 0.9);
FXParm ("age_to_die", 0.4, 0.7);
FXParm ("sound", "sfx/ice_crack");
FXParm ("sound_volume", 0.6, 0.8);
FXParm ("sound_freq", 0.9, 1.1);
