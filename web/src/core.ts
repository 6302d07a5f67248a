// The editor compiled from the program's own C++ (km640-core.js and its
// WebAssembly), and the shapes of its JSON answers.

export interface Control {
  name: string;
  page: string;
  group: string;
  label: string;
  kind: "frequency" | "tone" | "list" | "check" | "set" | "text" | "number" | "shown";
  width: number;
}

// The values a number control's rule takes, as a spin box shows them.
export interface NumberRange {
  lowest: number;
  highest: number;
  step: number;
  decimals: number;
}

export interface ControlState {
  index: number;
  value: string;
  disabled?: string;
  choices?: string[];
  range?: NumberRange;
  // Why the window disables one box of a set ("" for the usable ones).
  itemsDisabled?: string[];
}

export interface OpenAnswer {
  opened: boolean;
  refusal?: string;
  fromText?: boolean;
  messages?: string[];
}

export interface CommitAnswer {
  refusal?: string;
  messages?: string[];
  changed?: ControlState[];
}

export interface DifferenceRow {
  name: string;
  label: string;
  place: string;
  a: string;
  b: string;
  stamped: boolean;
}

export interface Session {
  open(bytes: Uint8Array, name: string): string;
  state(page: string): string;
  commit(name: string, text: string): string;
  // Why the window disables each entry of a list now ("" for the usable ones), as JSON.
  entriesDisabled(name: string): string;
  normalise(): string;
  saveImage(): Uint8Array;
  saveText(): Uint8Array;
  modified(): boolean;
  // The window's title: its unsaved-changes mark, the program and the file shown.
  title(file: string): string;
  compare(a: Uint8Array, nameA: string, b: Uint8Array, nameB: string): string;
  checkRoster(csv: Uint8Array): string;
  // The pager operations' side: the code-plug as held (nothing stamped), a
  // Read's code-plug taken as the window takes it, and what a Write sent.
  imageBytes(): Uint8Array;
  takeRead(bytes: Uint8Array): string;
  takeWritten(bytes: Uint8Array): boolean; // true: a value the user sees moved
}

export interface Core {
  EditorSession: {
    new (): Session;
    controls(): string;
    programTitle(): string;
    // The window's question before unsaved changes would be lost.
    saveQuestion(file: string): string;
    // The window's names of the kinds of code-plug file: [{name, extension}].
    fileKinds(): string;
  };
}

declare const createKm640Core: (options?: object) => Promise<Core>;

export function loadCore(): Promise<Core> {
  return createKm640Core();
}
