-- fxs/muzzle-bazooka.lua
-- Bazooka launch: flash forward, back-blast smoke behind.

-- flash
FXParm ("num_parts", 1);
FXParm ("bitmap", "fxs/flash.png");
FXParm ("blend_mode", "ADDITIVE");
FXParm ("color_r", 1, 1);
FXParm ("color_g", 0.85, 0.95);
FXParm ("color_b", 0.4, 0.6);
FXParm ("init_move", 2, 4);
FXParm ("scale", 0.6, 0.8);
FXParm ("angle_spread", 20);
FXParm ("age_to_die", 0.08, 0.1);

AddFX ();
-- smoke
FXParm ("num_parts", 4);
FXParm ("bitmap", "fxs/smoke.png");
FXParm ("color_r", 0.3, 0.45);
FXParm ("color_g", 0.3, 0.45);
FXParm ("color_b", 0.3, 0.45);
FXParm ("alpha", 0.48, 0.6);
FXParm ("alpha_graph", 0, 0);
FXParm ("alpha_graph", 0.2, 1);
FXParm ("alpha_graph", 1, 0);
FXParm ("scale", 0.4, 0.6);
FXParm ("scale_graph", 0, 0.5);
FXParm ("scale_graph", 1, 1.6);
FXParm ("area_radius", 0, 10);
FXParm ("area_angle_spread", 360);
FXParm ("speed", 30, 60);
FXParm ("dampening_factor", 0.3, 0.5);
FXParm ("angle_spread", 360);
FXParm ("angle_rps", -60, 60);
FXParm ("age_to_die", 0.6, 0.9);
FXParm ("move_angle", 180);
FXParm ("move_angle_spread", 40);
