// SPDX-License-Identifier: MIT
// The linter's rules for every JavaScript file of the tree: ESLint's
// recommended set, with each file's globals: the page's, the service
// worker's, node's, and the Emscripten library's that page_glue.js is linked
// into. `make lint-js` runs it over the files git tracks.
import js from '@eslint/js';
import globals from 'globals';

const emscriptenLibraryGlobals = Object.fromEntries(
  [
    'mergeInto',
    'LibraryManager',
    'BallcoursePage',
    'Module',
    'ABORT',
    'ExitStatus',
    'exit',
    'runtimeKeepalivePop',
    'UTF8ToString',
    '_ballcourse_animation_frame',
    '_ballcourse_canvas_shown',
    '_ballcourse_command_key',
    '_ballcourse_course_pieces',
    '_ballcourse_key_down',
    '_ballcourse_key_up',
    '_ballcourse_buttons_held',
    '_ballcourse_mouse_button',
    '_ballcourse_mouse_move',
    '_ballcourse_timer',
  ].map((name) => [name, 'readonly']),
);

export default [
  js.configs.recommended,
  {
    // An Emscripten library: the linker sees its functions through mergeInto
    // and gives them the runtime's names and the program's exported C
    // functions (web/CMakeLists.txt), which no file here defines.
    files: ['web/page_glue.js'],
    languageOptions: {
      sourceType: 'script',
      globals: {...globals.browser, ...emscriptenLibraryGlobals},
    },
  },
  {
    // Run before the program under node, on the Module object it fills.
    files: ['web/node_output.js'],
    languageOptions: {sourceType: 'script', globals: {...globals.node, Module: 'writable'}},
  },
  {
    files: ['web/service_worker.js'],
    languageOptions: {sourceType: 'script', globals: {...globals.serviceworker}},
  },
  {
    // The page's benchmark runs functions inside the page too.
    files: ['bench/web/**/*.js'],
    languageOptions: {sourceType: 'commonjs', globals: {...globals.node, ...globals.browser}},
  },
  {
    // The browser driver runs functions inside the page too, so the page's
    // globals are known beside node's.
    files: ['**/*.mjs'],
    languageOptions: {
      sourceType: 'module',
      globals: {...globals.node, ...globals.browser},
    },
  },
];
