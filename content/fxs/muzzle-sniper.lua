-- fxs/muzzle-sniper.lua
-- Sniper rifle muzzle flash: long and bright.

FXParm ("num_parts", 1);
FXParm ("bitmap", "fxs/flash.png");
FXParm ("blend_mode", "ADDITIVE");
FXParm ("color_r", 1, 1);
FXParm ("color_g", 0.95, 1);
FXParm ("color_b", 0.7, 0.8);
FXParm ("init_move", 4, 6);
FXParm ("scale", 0.6, 0.75);
FXParm ("angle_spread", 20);
FXParm ("age_to_die", 0.07, 0.09);
