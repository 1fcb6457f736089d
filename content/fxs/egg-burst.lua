-- fxs/egg-burst.lua
-- An egg bursts: a spray of yolk-green goo and a red flash.

-- goo
FXParm ("num_parts", 10);
FXParm ("bitmap", "fxs/goo-drop.png");
FXParm ("color_r", 0.7, 0.9);
FXParm ("color_g", 0.9, 1);
FXParm ("color_b", 0.2, 0.3);
FXParm ("move_angle_spread", 360);
FXParm ("speed", 60, 150);
FXParm ("dampening_factor", 0.05, 0.1);
FXParm ("scale", 0.5, 0.9);
FXParm ("angle_spread", 360);
FXParm ("age_to_die", 0.3, 0.5);
FXParm ("sound", "sfx/egg_pop");
FXParm ("sound_volume", 0.85, 1);
FXParm ("sound_freq", 0.92, 1.06);

AddFX ();
-- flash
FXParm ("num_parts", 1);
FXParm ("bitmap", "fxs/flash.png");
FXParm ("blend_mode", "ADDITIVE");
FXParm ("color_r", 1, 1);
FXParm ("color_g", 0.12, 0.2);
FXParm ("color_b", 0.08, 0.12);
FXParm ("scale", 1, 1.2);
FXParm ("scale_graph", 0, 0.6);
FXParm ("scale_graph", 1, 1.3);
FXParm ("angle_spread", 360);
FXParm ("age_to_die", 0.15, 0.2);
