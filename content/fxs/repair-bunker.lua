-- fxs/repair-bunker.lua
-- Green plus signs and wrench glints rising from the bunker under repair.

FXParm ("num_parts", 5);
FXParm ("bitmap", "fxs/plus.png");
FXParm ("bitmap", "fxs/wrench.png");
FXParm ("color_r", 0.4, 1);
FXParm ("color_g", 1, 1);
FXParm ("color_b", 0.4, 1);
FXParm ("area_radius", 0, 20);
FXParm ("area_angle_spread", 360);
FXParm ("move_angle", -90);
FXParm ("move_angle_spread", 60);
FXParm ("speed", 20, 40);
FXParm ("dampening_factor", 0.5, 0.7);
FXParm ("angle_spread", 30);
FXParm ("angle_rps", -90, 90);
FXParm ("scale", 0.7, 1);
FXParm ("alpha_graph", 0, 0);
FXParm ("alpha_graph", 0.2, 1);
FXParm ("alpha_graph", 1, 0);
FXParm ("age_to_die", 0.7, 1);
FXParm ("sound", "sfx/repair");
FXParm ("sound_volume", 0.7, 0.8);
